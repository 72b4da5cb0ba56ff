// qxjson: reads JSON text from a file (or standard input), parses it with the system's
// reader and prints the writer's compact text of the root, followed by a newline.
// Exit codes: 0 success, 1 not JSON, 2 unreadable input, unwritable output or bad usage.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

namespace {

// Reads the whole stream; false (with errno set) when reading fails.
bool ReadAll(std::FILE* in, std::string& text) {
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        text.append(chunk, got);
    }
    return std::ferror(in) == 0;
}

int Fail(const std::string& what) {
    std::cerr << "qxjson: cannot read " << what << ": " << std::strerror(errno) << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: qxjson [FILE]\n";
        return 2;
    }
    std::string text;
    if (argc == 2 && std::string(argv[1]) != "-") {
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(argv[1], "rb"),
                                                                   &std::fclose);
        if (!file || !ReadAll(file.get(), text)) {
            return Fail(argv[1]);
        }
    } else if (!ReadAll(stdin, text)) {
        return Fail("standard input");
    }
    const auto root = kvt::json::ParseJson(text);
    if (!root) {
        std::cerr << "not JSON\n";
        return 1;
    }
    // A full disk or a closed pipe shows only once the text is flushed.
    std::cout << kvt::json::FormatJson(root.get()) << '\n' << std::flush;
    if (!std::cout) {
        std::cerr << "qxjson: cannot write standard output\n";
        return 2;
    }
    return 0;
}
