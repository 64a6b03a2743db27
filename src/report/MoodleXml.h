#pragma once

#include <string>
#include <string_view>

#include "report/ClassSet.h"

namespace jobshop {

// The class set as a Moodle XML quiz file (UTF-8), for "Import" with "Get
// category from file": a category for the set, then one cloze question
// per variant, named by its number, whose text is the variant's instance
// and the steps asked, with a NUMERICAL subquestion (exact, tolerance 0,
// weight 1 like a sheet's point) for every cell asked, each inside an
// element carrying the cell's key (data-cell) and its step (data-step), and
// whose general feedback works every answer out. A quiz's "random
// question" from the category gives each student one variant.
std::string MoodleXml(const ClassSet& set);

// `text` for HTML inside a cloze question: what HTML would read as markup
// and what the cloze syntax would ({ } ~ # =) become character references.
std::string ClozeText(std::string_view text);

}  // namespace jobshop
