// The yardsticks for vrktool.exe's size: the least program that uses what the
// tool cannot do without, built with the tool's size options. Built as
// size_floor_strings, it has strings, a vector and an exception; as
// size_floor_stream, one std::ostringstream besides; as size_floor_cli, a
// CLI11 command line of one command with one argument and nothing else.
#include <stdio.h>

#include <stdexcept>
#include <string>
#include <vector>

#if defined(QM_FLOOR_CLI)
#include <CLI/CLI.hpp>
#elif defined(QM_FLOOR_STREAM)
#include <sstream>
#endif

int main(int argc, char** argv)
{
#if defined(QM_FLOOR_CLI)
    CLI::App app("a command line of one command", "size_floor_cli");
    std::string file;
    app.add_subcommand("check", "a command")->add_option("FILE", file);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    puts(file.c_str());
#elif defined(QM_FLOOR_STREAM)
    std::ostringstream text;
    text << argc;
    puts(text.str().c_str());
#endif
    std::vector<std::string> names(argv, argv + argc);
    try {
        if (names.size() > 9)
            throw std::runtime_error("too many arguments");
    } catch (const std::exception& error) {
        puts(error.what());
    }
    puts(names[0].c_str());
    return 0;
}
