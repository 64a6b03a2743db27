#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/ClassExercise.h"

namespace jobshop {

// One variant of a class set: an instance, its run, and the exercise on it.
struct ClassVariant {
    std::int32_t number = 0;  // 1 ... the set's size
    std::string name;         // the instance's name
    std::string code;         // its instance code (formats/InstanceCode.h)
    std::int32_t jobs = 0, machines = 0;
    std::vector<std::int32_t> M, p;  // by operation 0 ... OpCount
    std::string replayJson;          // the replay page's data of its run
    ExerciseRecording exercise;
    Time cmax = 0;  // of the whole schedule
};

// A class set: every variant asks the same parts of the same steps.
struct ClassSet {
    std::string title;  // empty: the language's default
    bool english = false;
    std::int64_t seed = 0;  // the seed the variants' instances come from
    Ask ask;
    std::int32_t from = 0, to = 0;
    std::vector<ClassVariant> variants;
};

// The worksheets page (src/report/replay/class-sheets.html and the
// worksheet modules), joined at build time. It holds kClassDataMarker once,
// inside its data element.
std::string_view ClassSheetsTemplate();
inline constexpr std::string_view kClassDataMarker = "@CLASS_DATA@";

// The page's data: the language, title, steps and words asked, and every
// variant's number, code and replay data. Every '<' is written \u003c.
std::string ClassSheetsData(const ClassSet& set, bool key);

// The page around its data, in pieces, as ReplayPagePieces gives them.
std::vector<std::string_view> ClassSheetsPieces(std::string_view data);

// The roster: RFC 4180 with CRLF, the header variant,instance,seed,cmax
// (and link with a base URL), one line per variant. `seed` is the set's.
// A link opens the variant in practice mode on the steps asked:
// <base>?practice&ask=<words>&steps=<from>-<to>[&lang=en]#i=<code>.
std::string ClassRoster(const ClassSet& set, std::string_view baseUrl);

// The link to variant `v` (see ClassRoster).
std::string PracticeLink(const ClassSet& set, const ClassVariant& v, std::string_view baseUrl);

}  // namespace jobshop
