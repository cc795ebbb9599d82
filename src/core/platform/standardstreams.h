// The standard streams of a program that may be started with some of them
// closed, or with its output going into a pipe that closes early.
#pragma once

// Opens descriptors 0, 1 and 2 on /dev/null where they are closed, so that no
// file or connection opened later takes their place and receives the
// program's warnings. They are opened for reading only: output to a closed
// standard output still fails, and the program can say so.
void openStandardDescriptors();
// Whether descriptor `fd` (0, 1 or 2) was closed when openStandardDescriptors()
// opened it, so that the program can say so.
bool wasClosedAtStart(int fd);

// A write into a pipe whose reader has gone, or past the process's limit on
// file sizes (ulimit -f), fails instead of ending the process: a trace cut
// short must not cut an operation short, nor a save leave a file half written.
void ignoreWriteSignals();
