#pragma once
// The command loop both seat drivers share: "ready" once the seat exists, then one command a line
// from the file named by the first argument (stdin without one), each answered "ok" or
// "error: ...":
//   move X Y        absolute pointer motion, in screen pixels
//   nudge DX DY     relative pointer motion
//   key SYM[+SYM]   presses the X keysyms (hex or decimal) in order, releases them in reverse
//   click           presses and releases the left button where the pointer is
//   stop-sharing    where the seat can: ends the desktop's screen casts as its "stop sharing" does
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace rig {

inline std::vector<unsigned> parseKeysyms(const std::string& keys) {
    std::vector<unsigned> syms;
    std::istringstream parts(keys);
    for (std::string part; std::getline(parts, part, '+');) {
        char* end = nullptr;
        const unsigned long sym = std::strtoul(part.c_str(), &end, 0);
        if (part.empty() || *end != '\0') throw std::runtime_error("not a keysym: " + part);
        syms.push_back(static_cast<unsigned>(sym));
    }
    return syms;
}

template <class Seat>
void runCommand(Seat& seat, const std::string& line) {
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "move" || command == "nudge") {
        double x = 0, y = 0;
        if (!(in >> x >> y)) throw std::runtime_error("expected two numbers");
        command == "move" ? seat.move(x, y) : seat.nudge(x, y);
    } else if (command == "key") {
        std::string keys;
        in >> keys;
        const std::vector<unsigned> syms = parseKeysyms(keys);
        // A seat that knows only some keys says so before any is pressed.
        if constexpr (requires { seat.checkKeys(syms); }) seat.checkKeys(syms);
        for (unsigned sym : syms) seat.key(sym, true);
        for (auto it = syms.rbegin(); it != syms.rend(); ++it) seat.key(*it, false);
    } else if (command == "click") {
        seat.click();
    } else if constexpr (requires { seat.stopSharing(); }) {
        if (command != "stop-sharing") throw std::runtime_error("unknown command " + command);
        seat.stopSharing();
    } else {
        throw std::runtime_error("unknown command " + command);
    }
}

// Makes the seat and serves its commands until the input ends; the exit status.
template <class Seat>
int serve(int argc, char** argv, const char* name) {
    try {
        Seat seat;
        std::cout << "ready" << std::endl;
        std::ifstream file;
        if (argc > 1) file.open(argv[1]);
        std::istream& in = argc > 1 ? static_cast<std::istream&>(file) : std::cin;
        for (std::string line; std::getline(in, line);) {
            if (line.empty()) continue;
            try {
                runCommand(seat, line);
                std::cout << "ok" << std::endl;
            } catch (const std::exception& error) {
                std::cout << "error: " << error.what() << std::endl;
            }
        }
    } catch (const std::exception& error) {
        std::cerr << name << ": " << error.what() << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace rig
