// What every register transfer does to the chip, applied in one place to
// what the program knows of it: a write that resets the chip leaves no
// register known, one that sets a bit the chip clears by itself leaves its
// register unknown until read, any other leaves the bytes written. And the
// chip has one holder at a time: a run of the link test holds the error
// counters, which clear when read, and every read of them, its own or anyone
// else's, hands it the counts, so that its figures stay whole; it hears of
// every write another part of the program makes to the chip meanwhile.
#pragma once

#include "core/link/transferlistener.h"
#include "core/registers/registermap.h"
#include "core/registers/registermodel.h"

#include <QObject>
#include <array>
#include <optional>
#include <utility>

class BoardLink;
struct LinkResult;

// The counts one read took from the counters: none for a counter it did not
// read. A count of 0xFF means at least that many.
using CounterReads = std::array<std::optional<std::uint8_t>, kLinks>;

// Whoever holds the error counters of the chip at `counterAddress()`.
class CounterHolder {
public:
    virtual ~CounterHolder() = default;
    virtual std::uint8_t counterAddress() const = 0;
    // A read of the counters, which cleared them.
    virtual void countersRead(const CounterReads& counts) = 0;
    // A write to the chip reset it, or may have: the registers are back at
    // their values after reset.
    virtual void chipReset() = 0;
    // Another part of the program wrote `data` from `first` on (or may have).
    virtual void registersWrittenByOther(std::uint8_t first,
                                         std::span<const std::uint8_t> data) = 0;
};

class ChipTracker : public QObject, public TransferListener {
    Q_OBJECT
public:
    // Keeps `model` in step with the transfers of `link`.
    ChipTracker(BoardLink& link, RegisterModel& model, QObject* parent = nullptr);
    ~ChipTracker() override;

    // Makes `holder` the counters' owner; false while another holds them.
    bool holdCounters(CounterHolder& holder);
    void releaseCounters(CounterHolder& holder);
    const CounterHolder* counterHolder() const { return holder_; }
    // The holder's own read of the counters, which hands it the counts, and
    // its own write of one register, which it does not hear of as another's.
    LinkResult readHeldCounters();
    LinkResult writeAsHolder(std::uint8_t deviceAddress, std::uint8_t reg, std::uint8_t value);
    // Whether a write reset the chip (or may have) since the last call.
    bool takeChipReset() { return std::exchange(chipReset_, false); }

    void registersRead(std::uint8_t deviceAddress, std::uint8_t first,
                       std::span<const std::uint8_t> values) override;
    void registersWritten(std::uint8_t deviceAddress, std::uint8_t first,
                          std::span<const std::uint8_t> data, bool acknowledged) override;

signals:
    // Another read took counts from the counters while a run held them: they
    // went to the run, and the reader saw the same.
    void countsHandedOver(const CounterReads& counts);

private:
    BoardLink& link_;
    RegisterModel& model_;
    CounterHolder* holder_ = nullptr;
    bool holderReading_ = false;
    bool holderWriting_ = false;
    bool chipReset_ = false;
};
