// The standard streams of a program that may be started with some of them
// closed, or with its output going into a pipe that closes early.
#pragma once

// Opens descriptors 0, 1 and 2 on /dev/null where they are closed, so that no
// file or connection opened later takes their place and receives the
// program's warnings. They are opened for reading only: output to a closed
// standard output still fails, and the program can say so.
void openStandardDescriptors();

// A write into a pipe whose reader has gone fails instead of ending the
// process: a trace cut short must not cut an operation short.
void ignoreBrokenPipes();
