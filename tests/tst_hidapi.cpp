// The hidapi transport on the stand-in linked in place of hidapi: what it lists,
// the reports it writes and reads byte for byte, and each failure.
#include "core/hid/hidapitransport.h"
#include "core/sim/simtransport.h"
#include "support/reports.h"

#include <QElapsedTimer>
#include <QtTest>

// The stand-in's devices, from hid_init to hid_exit.
SimTransport* hidStandin();

class TestHidapi : public QObject {
    Q_OBJECT
private slots:
    // Two boards among other HID devices (listed once each, although hidraw lists
    // them once per collection), the first one's chip at 0x48: a read of 62
    // registers (address byte 0x91), its answer (byte 0 the report ID 0, byte 1
    // the status, 2..63 the values) and one read more, under each fault.
    void exchange() {
        using S = IoStatus;
        const std::tuple<const char*, S, S, S, const char*> rows[] = {
            // faults, the request, the read of its answer, one read more, the reason
            {"", S::Ok, S::Ok, S::Timeout, ""},
            {"stale@1", S::Ok, S::Ok, S::Ok, ""},
            {"late@1", S::Ok, S::Timeout, S::Ok, ""},
            {"short@1", S::Ok, S::Short, S::Timeout, "only 16 of 64 bytes came in"},
            {"silent", S::Ok, S::Timeout, S::Timeout, ""},
            {"error@1", S::Ok, S::Failed, S::Timeout, "Broken pipe"},
            {"unplug@1", S::Failed, S::Failed, S::Failed, "No such device"}};
        const Report request = i2cRead(0x90, 0x00, 62);
        Report answer{}, stale, untouched;
        for (int r = 0; r < 62; ++r)
            answer[2 + r] = std::uint8_t(0xA5 ^ r);
        stale.fill(kSimJunk);
        stale[0] = stale[1] = 0;
        untouched.fill(0x77);
        qputenv("QDM_STANDIN_OTHERS", "09AA:1234,1234:2007");
        qputenv("QDM_STANDIN_BOARDS", "2");
        qputenv("QDM_STANDIN_ADDRESS", "0x48");
        qputenv("QDM_STANDIN_REASON", "Broken pipe");
        for (const auto& [faults, write, first, second, reason] : rows) {
            qputenv("QDM_STANDIN_FAULTS", faults);
            HidapiTransport transport; // the stand-in reads its environment at hid_init
            const std::vector<HidDevice> found = transport.enumerate();
            QVERIFY(found.size() == 2 && found[1].path == "sim:board1");
            QCOMPARE(found[0].serialNumber, std::string("SIM0000"));
            const HidHandle out = transport.open(found[0].path), in = transport.open(found[0].path);
            const std::optional<HidIds> ids = transport.attributes(in);
            QVERIFY(ids && ids->vendorId == 0x09AA && ids->productId == 0x2007);
            SimBoard& board = hidStandin()->board(0);
            std::copy_n(answer.begin() + 2, 62, board.chips.front().registers.begin());

            const IoResult written = transport.write(out, request);
            QVERIFY2(written.status == write, faults);
            QCOMPARE(written.reason, std::string(written.ok() ? "" : reason));
            QCOMPARE(board.received, written.ok() ? std::vector{request} : std::vector<Report>{});
            for (const int i : {0, 1}) {
                const S expected = i ? second : first;
                Report got = untouched;
                QElapsedTimer waited;
                waited.start();
                const IoResult read = transport.read(in, got, 100);
                QVERIFY2(read.status == expected, faults);
                QCOMPARE(read.reason, std::string(read.status == S::Timeout ? "" : reason));
                if (expected == S::Timeout) // the stand-in waits as long as it is told
                    QVERIFY2(waited.elapsed() >= 100 && waited.elapsed() < 3000, faults);
                QCOMPARE(got, !read.ok() ? untouched : i && first == S::Ok ? stale : answer);
            }
            if (write == S::Failed) // pulled out: no longer listed, and it cannot be opened
                QVERIFY(transport.enumerate().size() == 1 &&
                        transport.open(found[0].path) == kInvalidHandle);
            transport.close(out);
            transport.close(in);
            QCOMPARE(hidStandin()->openHandleCount(), 0u);
        }
    }
};

QTEST_GUILESS_MAIN(TestHidapi)
#include "tst_hidapi.moc"
