#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace jobshop::testing {

// What a random instance looks like. Each job visits every machine once in a
// random order, or with `revisits`, draws each operation's machine freely (so
// a job may visit a machine twice and skip another).
struct InstanceShape {
    std::int32_t jobs = 1;
    std::int32_t machines = 1;
    std::int32_t minTime = 1;
    std::int32_t maxTime = 99;
    bool revisits = false;
    std::string name = "random";
};

// The text of an input.txt of that shape, one line per job.
std::string RandomInstanceText(std::mt19937& rng, const InstanceShape& shape);

}  // namespace jobshop::testing
