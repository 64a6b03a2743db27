#include "report/ClassSet.h"

#include "report/ReplayJson.h"

namespace jobshop {
namespace {

// A CSV field, quoted when it holds what would end it.
std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

}  // namespace

std::string ClassSheetsData(const ClassSet& set, bool key) {
    std::string out = "{\"format\":\"jobshop-class\",\"version\":1,\"lang\":";
    out += set.english ? "\"en\"" : "\"pl\"";
    out += ",\"key\":";
    out += key ? "true" : "false";
    out += ",\"title\":";
    AppendJsonString(out, set.title);
    out += ",\"ask\":[";
    const std::string words = set.ask.Text();
    for (std::size_t i = 0, j; i < words.size(); i = j + 1) {
        j = words.find(',', i);
        if (j == std::string::npos) j = words.size();
        if (i > 0) out += ',';
        out += '"' + words.substr(i, j - i) + '"';
    }
    out += "],\"from\":" + std::to_string(set.from) + ",\"to\":" + std::to_string(set.to);
    out += ",\"variants\":[";
    for (std::size_t i = 0; i < set.variants.size(); ++i) {
        const ClassVariant& v = set.variants[i];
        if (i > 0) out += ",\n";
        out += "{\"variant\":" + std::to_string(v.number) + ",\"code\":";
        AppendJsonString(out, v.code);
        out += ",\"replay\":";
        out += v.replayJson;
        out += '}';
    }
    out += "]}";
    return out;
}

std::vector<std::string_view> ClassSheetsPieces(std::string_view data) {
    const std::string_view page = ClassSheetsTemplate();
    const std::size_t at = page.find(kClassDataMarker);
    return {page.substr(0, at), data, page.substr(at + kClassDataMarker.size())};
}

std::string PracticeLink(const ClassSet& set, const ClassVariant& v, std::string_view baseUrl) {
    std::string link(baseUrl);
    if (link.find('?') == std::string::npos) {
        link += '?';
    } else if (link.back() != '?' && link.back() != '&') {
        link += '&';
    }
    link += "practice&ask=" + set.ask.Text() + "&steps=" + std::to_string(set.from) + '-' +
            std::to_string(set.to);
    if (set.english) link += "&lang=en";
    return link + "#i=" + v.code;
}

std::string ClassRoster(const ClassSet& set, std::string_view baseUrl) {
    std::string out =
        baseUrl.empty() ? "variant,instance,seed,cmax\r\n" : "variant,instance,seed,cmax,link\r\n";
    for (const ClassVariant& v : set.variants) {
        out += std::to_string(v.number) + ',' + CsvField(v.name) + ',' + std::to_string(set.seed) +
               ',' + std::to_string(v.cmax);
        if (!baseUrl.empty()) out += ',' + CsvField(PracticeLink(set, v, baseUrl));
        out += "\r\n";
    }
    return out;
}

}  // namespace jobshop
