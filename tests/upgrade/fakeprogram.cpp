// A stand-in for the shop program in the end-to-end upgrade: it notes its version and arguments in
// the log named by JSJXC_FAKE_LOG, and with the argument "hold" keeps running until "<log>.release"
// appears, as the program runs until its main window closes.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

int main(int argc, char **argv) {
    const char *log = std::getenv("JSJXC_FAKE_LOG");
    if (!log) return 1;
    {
        std::ofstream out(log, std::ios::app);
        out << FAKE_VERSION;
        for (int i = 1; i < argc; ++i)
            out << ' ' << argv[i];
        out << '\n';
    }
    if (argc > 1 && std::strcmp(argv[1], "hold") == 0) {
        const std::filesystem::path release = std::string(log) + ".release";
        for (int i = 0; i < 1000 && !std::filesystem::exists(release); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}
