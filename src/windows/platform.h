// What the windows run on: the board's transport and the platform seams,
// given by the program's start (or a test).
#pragma once

class Clock;
class FileChooser;
class HidTransport;
class ProcessEnd;
class Prompt;
class ReportTrace;
class SystemInfo;

struct Platform {
    HidTransport& transport;
    Prompt& prompt;
    FileChooser& files;
    Clock& clock;
    ProcessEnd& end;
    ReportTrace* trace = nullptr;     // --trace, or none
    SystemInfo* systemInfo = nullptr; // none: the desktop's own
};
