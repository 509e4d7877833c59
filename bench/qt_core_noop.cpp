// The baseline of the start-up benchmark (bench/cli_startup.sh): a program that does nothing
// but is linked with Qt Core like meridia-cli, so that it pays the same dynamic loading and
// library initialisation. qVersion() keeps the linker from dropping the library.
#include <QtGlobal>
#include <cstdio>

int main(int argc, char** /*argv*/) {
    // Prints only when given an argument, so the measured run writes nothing.
    if (argc > 1) {
        std::puts(qVersion());
    }
    return 0;
}
