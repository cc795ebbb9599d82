// The least a Qt command-line program starts up to: a QCoreApplication that
// exits at once. qdm7720a-cli's start-up and memory are measured next to it.
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return 0;
}
