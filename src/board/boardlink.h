// The link to the evaluation boards: discovery and the handle tables, the one
// shared report buffer, the I2C register transfers with their Retry/Cancel
// dialogs, and the raw exchange the board commands are built on.
#pragma once

#include "board/hidtransport.h"
#include "board/report.h"

#include <QString>
#include <cstdint>
#include <span>
#include <vector>

class Dialogs;
class ReportTrace;

// What the link needs from the main window.
class LinkHost {
public:
    virtual ~LinkHost() = default;
    // Lists the boards found and selects instance 0 (end of connectBoards).
    virtual void cboEVB_init() = 0;
    // Unloads the main window, which closes the boards and ends the program.
    virtual void unloadMainWindow() = 0;
};

inline const QString kBoardNotFoundText =
    QStringLiteral("Please check USB connection.\r\nQDM7720A Evaluation Board not found.");
inline const QString kInvalidAddressText =
    QStringLiteral("Invalid I2C address. Press Retry to return to GUI and enter valid address "
                   "or Cancel to close GUI.");
inline const QString kReadFileErrorText =
    QStringLiteral("Please check USB connection.\r\nUSB ReadFile error.");
inline const QString kWriteFileErrorText =
    QStringLiteral("Please check USB connection.\r\nUSB WriteFile error.");
inline const QString kCheckGPstatusText =
    QStringLiteral("Please check USB connection.\r\ncheckGPstatus");

class BoardLink {
public:
    BoardLink(HidTransport& transport, Dialogs& dialogs);

    void setHost(LinkHost* host) { host_ = host; }
    void setTrace(ReportTrace* trace) { trace_ = trace; }

    // Discovery and connection.
    void connectBoards();
    void closeBoards();
    // Makes instance k's handles current (first step of an instance selection).
    void selectInstance(int k);
    int selectedInstance() const { return selected_; }
    // Drains input reports that arrived outside an exchange.
    void flushInput();

    // I2C register transfers. `count` is 1 to 62 for a read and 1 to 59 for a
    // write and `data` holds at least `count` bytes; a request outside these
    // limits is refused as LINK_DEVICE_ERROR without any exchange or dialog.
    LinkStatus readRegistersOnce(std::uint8_t deviceAddress, std::uint8_t startRegister,
                                 std::uint8_t count, std::span<std::uint8_t> data);
    LinkStatus writeRegistersOnce(std::uint8_t deviceAddress, std::uint8_t startRegister,
                                  std::uint8_t count, std::span<const std::uint8_t> data);
    // With dialogs and repetition after Retry: LINK_OK or LINK_DEVICE_ERROR.
    LinkStatus readRegisters(std::uint8_t deviceAddress, std::uint8_t startRegister,
                             std::uint8_t count, std::span<std::uint8_t> data, bool quiet);
    LinkStatus writeRegisters(std::uint8_t deviceAddress, std::uint8_t startRegister,
                              std::uint8_t count, std::span<const std::uint8_t> data, bool quiet);

    // The answer of an I2C transfer, judged by its status byte.
    LinkStatus readAnswer();
    void reportLinkStatus(LinkStatus status, bool quiet);
    // 8 when the command write succeeded, else 0 after the Retry/Cancel dialog.
    std::uint16_t checkGPstatus(bool writeSucceeded);
    void fillReport(std::uint8_t fillByte);

    // Raw exchange for the board commands: write `report` through writeHandle;
    // clear `report` and read one answer into it within the answer limit.
    bool writeReport();
    bool readReport();

    // Called when the main window unloads: closes the boards and refuses every
    // later exchange, so that a handler interrupted by the end unwinds quietly.
    void shutDown();
    bool isShutDown() const { return shutDown_; }

    // The one report buffer shared by every exchange.
    Report report{};
    // One entry per board found; a single entry 0 means no board is open.
    std::vector<HidHandle> boardWriteHandles{kNoHandle};
    std::vector<HidHandle> boardReadHandles{kNoHandle};
    HidHandle writeHandle = kInvalidHandle;
    HidHandle readHandle = kInvalidHandle;
    // Answer of the last Retry/Cancel or Yes/No message of the link and the scan.
    std::int16_t dialogAnswer = 0;
    // How long an answer may take; tests shorten it.
    int answerLimitMs = kAnswerLimitMs;

private:
    template <typename Once> LinkStatus withRetry(Once once, bool quiet);
    void drainBeforeRequest();
    void drainInput(int waitMs);
    void unload();

    HidTransport& transport_;
    Dialogs& dialogs_;
    LinkHost* host_ = nullptr;
    ReportTrace* trace_ = nullptr;
    int selected_ = -1;
    bool shutDown_ = false;
};
