// Program entry: answers --help and --version on the terminal without opening a window,
// else runs the program (see Q31Main).
#include <cstdio>
#include <cstring>

int Q31Main(int argc, char** argv);

namespace {

constexpr const char* kUsage =
    "Usage: qs310-manager [--help] [--version]\n"
    "\n"
    "QS-310 Manager runs a QS-310 sports-timing start clock over its serial line (RS-232):\n"
    "a live mirror of the clock, its settings, start programs, runs, the times it measures,\n"
    "a second display for the public and a competitor-number unit. A simulated clock is\n"
    "built in for training without a clock.\n"
    "\n"
    "  --help      show this text and exit\n"
    "  --version   show the program's version and exit\n"
    "\n"
    "The program works in its program folder (QS_PROGRAM_DIR when set, else the folder of\n"
    "the executable; the installed launcher uses ~/.local/share/qs310-manager, or\n"
    "QS310_USER_DIR). It needs a graphical display (X11 or Wayland).\n"
    "See 'man qs310-manager' and the README.md of the program folder.\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("qs310-manager %s\n", QS_VERSION);
            return 0;
        }
    }
    return Q31Main(argc, argv);
}
