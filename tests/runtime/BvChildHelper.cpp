// A small child program for the process runner's tests. The first argument
// picks what it does:
//   exit N            ends with exit code N
//   print TEXT        writes TEXT to standard output in one write; \r \n \t \b
//                     \a \0 and \\ are decoded first
//   stderr TEXT       the same on standard error
//   twopart A B       writes A, waits for one byte on standard input, writes B
//   env NAME          prints the variable's value, or <unset>
//   cwd               prints the current folder
//   args ...          prints each further argument on a line of its own
//   pause             waits for a signal
//   hold-memory MB    fills MB mebibytes of memory, then waits for a signal (a
//                     process that takes a moment to end once killed)
//   ignore-term       ignores SIGTERM, SIGINT and SIGHUP, starts a grandchild
//                     that does the same, prints "ready <grandchild pid>" and waits
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string Decode(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' || !p[1]) {
            out += *p;
            continue;
        }
        switch (*++p) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'b':
            out += '\b';
            break;
        case 'a':
            out += '\a';
            break;
        case '0':
            out += '\0';
            break;
        default:
            out += *p;
        }
    }
    return out;
}

void Write(int fd, const std::string& s) {
    if (::write(fd, s.data(), s.size()) != static_cast<ssize_t>(s.size()))
        std::exit(99);
}

void IgnorePolite() {
    std::signal(SIGTERM, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "exit" && argc > 2)
        return std::atoi(argv[2]);
    if (mode == "print" && argc > 2) {
        Write(1, Decode(argv[2]));
        return 0;
    }
    if (mode == "stderr" && argc > 2) {
        Write(2, Decode(argv[2]));
        return 0;
    }
    if (mode == "twopart" && argc > 3) {
        Write(1, Decode(argv[2]));
        char c;
        if (::read(0, &c, 1) != 1)
            return 98;
        Write(1, Decode(argv[3]));
        return 0;
    }
    if (mode == "env" && argc > 2) {
        const char* value = std::getenv(argv[2]);
        Write(1, std::string(value ? value : "<unset>") + "\n");
        return 0;
    }
    if (mode == "cwd") {
        char path[4096];
        Write(1, std::string(getcwd(path, sizeof(path)) ? path : "?") + "\n");
        return 0;
    }
    if (mode == "args") {
        for (int i = 2; i < argc; ++i)
            Write(1, std::string(argv[i]) + "\n");
        return 0;
    }
    if (mode == "pause") {
        for (;;)
            pause();
    }
    if (mode == "hold-memory" && argc > 2) {
        const size_t bytes = static_cast<size_t>(std::atol(argv[2])) << 20;
        char* memory = static_cast<char*>(std::malloc(bytes));
        if (!memory)
            return 97;
        for (size_t i = 0; i < bytes; i += 4096)
            memory[i] = static_cast<char>(i >> 12);
        for (;;)
            pause();
    }
    if (mode == "ignore-term") {
        IgnorePolite();
        pid_t child = fork();
        if (child == 0) {
            for (;;)
                pause();
        }
        Write(1, "ready " + std::to_string(child) + "\n");
        for (;;)
            pause();
    }
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}
