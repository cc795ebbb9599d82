#include "core/operations/chiptracker.h"

#include "core/link/boardlink.h"
#include "core/registers/registereffects.h"

ChipTracker::ChipTracker(BoardLink& link, RegisterModel& model, QObject* parent)
    : QObject(parent), link_(link), model_(model) {
    link_.setTransferListener(this);
}

ChipTracker::~ChipTracker() {
    link_.setTransferListener(nullptr);
}

bool ChipTracker::holdCounters(CounterHolder& holder) {
    if (holder_ && holder_ != &holder)
        return false;
    holder_ = &holder;
    return true;
}

void ChipTracker::releaseCounters(CounterHolder& holder) {
    if (holder_ == &holder)
        holder_ = nullptr;
}

LinkResult ChipTracker::readHeldCounters() {
    holderReading_ = true;
    LinkResult read =
        link_.readRegistersOnce(holder_->counterAddress(), kFirstErrorCounter, kLinks);
    holderReading_ = false;
    return read;
}

LinkResult ChipTracker::writeAsHolder(std::uint8_t deviceAddress, std::uint8_t reg,
                                      std::uint8_t value) {
    const std::uint8_t data[1] = {value};
    holderWriting_ = true;
    LinkResult written = link_.writeRegistersOnce(deviceAddress, reg, data);
    holderWriting_ = false;
    return written;
}

void ChipTracker::registersRead(std::uint8_t deviceAddress, std::uint8_t first,
                                std::span<const std::uint8_t> values) {
    if (!holder_ || deviceAddress != holder_->counterAddress())
        return;
    CounterReads counts;
    bool any = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int link = first + static_cast<int>(i) - kFirstErrorCounter;
        if (link >= 0 && link < kLinks) {
            counts[link] = values[i];
            any = true;
        }
    }
    if (!any)
        return;
    holder_->countersRead(counts);
    if (!holderReading_)
        emit countsHandedOver(counts);
}

void ChipTracker::registersWritten(std::uint8_t deviceAddress, std::uint8_t first,
                                   std::span<const std::uint8_t> data, bool) {
    noteRegistersWritten(model_, first, data);
    bool reset = false;
    for (std::size_t i = 0; i < data.size(); ++i)
        reset = reset || writeResetsChip(static_cast<std::uint8_t>(first + i), data[i]);
    chipReset_ = chipReset_ || reset;
    if (!holder_ || deviceAddress != holder_->counterAddress())
        return;
    if (reset)
        holder_->chipReset();
    else if (!holderWriting_)
        holder_->registersWrittenByOther(first, data);
}
