// The hidapi transport on the hidapi stand-in, linked in place of hidapi:
// what it lists, the 64-byte reports it writes and reads byte for byte, and
// what each failure of a write or a read comes to.
#include "core/hid/hidapitransport.h"
#include "core/sim/simtransport.h"
#include "support/reports.h"

#include <QElapsedTimer>
#include <QtTest>
#include <memory>

// The stand-in's devices, from hid_init to hid_exit.
SimTransport* hidStandin();

namespace {

// A transport on freshly plugged boards: the stand-in reads its environment
// at hid_init, which the transport calls.
std::unique_ptr<HidapiTransport> plugIn(const char* faults, const char* others = "",
                                        const char* boards = "1") {
    qputenv("QDM_STANDIN_FAULTS", faults);
    qputenv("QDM_STANDIN_OTHERS", others);
    qputenv("QDM_STANDIN_BOARDS", boards);
    qputenv("QDM_STANDIN_ADDRESS", "0x48");
    qputenv("QDM_STANDIN_REASON", "Broken pipe");
    return std::make_unique<HidapiTransport>();
}

} // namespace

class TestHidapi : public QObject {
    Q_OBJECT
private slots:
    // Only the board's identity, each board once although hidraw lists it
    // once per collection, in the order found.
    void enumeration() {
        const auto transport = plugIn("", "09AA:1234,1234:2007", "2");
        const std::vector<HidDevice> found = transport->enumerate();
        QCOMPARE(found.size(), 2u);
        for (int i : {0, 1}) {
            QCOMPARE(found[i].path, "sim:board" + std::to_string(i));
            QCOMPARE(found[i].serialNumber, "SIM000" + std::to_string(i));
            const HidHandle h = transport->open(found[i].path);
            const std::optional<HidIds> ids = transport->attributes(h);
            QVERIFY(h > 0 && ids && ids->vendorId == 0x09AA && ids->productId == 0x2007);
        }
        QCOMPARE(hidStandin()->openHandleCount(), 2u);
        QVERIFY(!transport->attributes(99) && transport->open("sim:board7") == kInvalidHandle);
        transport->close(1);
        transport->close(kInvalidHandle);
        QCOMPARE(hidStandin()->openHandleCount(), 1u);
    }

    // A read of 62 registers at 0x48 (address byte 0x91), its answer and one
    // more read, under each fault of the board. An answer comes back as it
    // went out: byte 0 the report ID 0, byte 1 the status, bytes 2..63 the values.
    void exchange() {
        using S = IoStatus;
        struct Row {
            const char* faults;
            S write, answer, next; // the request, the read of its answer, one read more
            const char* reason;    // of the failures
        } rows[] = {
            {"", S::Ok, S::Ok, S::Timeout, ""},
            {"stale@1", S::Ok, S::Ok, S::Ok, ""},
            {"late@1", S::Ok, S::Timeout, S::Ok, ""},
            {"short@1", S::Ok, S::Short, S::Timeout, ""},
            {"silent", S::Ok, S::Timeout, S::Timeout, ""},
            {"error@1", S::Ok, S::Failed, S::Timeout, "Broken pipe"},
            {"unplug@1", S::Failed, S::Failed, S::Failed, "No such device"},
        };
        const Report request = i2cRead(0x90, 0x00, 62);
        Report answer{}, stale, untouched;
        for (int r = 0; r < 62; ++r)
            answer[2 + r] = std::uint8_t(0xA5 ^ r);
        stale.fill(kSimJunk);
        stale[0] = stale[1] = 0;
        untouched.fill(0x77);
        for (const Row& row : rows) {
            const auto transport = plugIn(row.faults);
            const std::string path = transport->enumerate().at(0).path;
            const HidHandle out = transport->open(path), in = transport->open(path);
            SimBoard& board = hidStandin()->board(0);
            std::copy_n(answer.begin() + 2, 62, board.chips.front().registers.begin());

            const IoResult written = transport->write(out, request);
            QVERIFY2(written.status == row.write, row.faults);
            QCOMPARE(written.reason, std::string(written.ok() ? "" : row.reason));
            QCOMPARE(board.received, written.ok() ? std::vector{request} : std::vector<Report>{});
            const S expected[] = {row.answer, row.next};
            for (int i = 0; i < 2; ++i) {
                Report got = untouched;
                QElapsedTimer waited;
                waited.start();
                const IoResult read = transport->read(in, got, 100);
                QVERIFY2(read.status == expected[i], row.faults);
                QCOMPARE(read.reason, std::string(read.status == S::Failed ? row.reason : ""));
                if (expected[i] == S::Timeout) // the stand-in waits as long as it is told
                    QVERIFY2(waited.elapsed() >= 100 && waited.elapsed() < 3000, row.faults);
                QCOMPARE(got, !read.ok()                      ? untouched
                              : i == 1 && row.answer == S::Ok ? stale
                                                              : answer);
            }
            if (row.write == S::Failed && row.answer == S::Failed) // pulled out: gone
                QVERIFY(transport->enumerate().empty() && transport->open(path) == kInvalidHandle);
        }
    }
};

QTEST_GUILESS_MAIN(TestHidapi)
#include "tst_hidapi.moc"
