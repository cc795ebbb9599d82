// The platform seams the main window works through.
#pragma once

class Clock;
class Dialogs;
class HidTransport;
class ProcessExit;
class ReportTrace;
class SystemInfo;

struct Platform {
    HidTransport& transport;
    Dialogs& dialogs;
    Clock& clock;
    ProcessExit& exit;
    ReportTrace* trace = nullptr;     // --trace, or none
    SystemInfo* systemInfo = nullptr; // none: the desktop's own
};
