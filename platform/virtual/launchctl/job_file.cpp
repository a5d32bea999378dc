#include "job_file.h"

#include <fstream>
#include <sstream>

#include "ventoria/platform/process_start.h"
#include "ventoria/platform/system_root.h"

namespace ventoria::launchd {
namespace {

std::string unescape(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (auto [entity, plain] : entities) {
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
            text.replace(at, std::string(entity).size(), plain);
        }
    }
    return text;
}

// The text between <element> and the next </element>, searched from `from`; `end` is set past
// the closing tag. Plain scanning: a pattern engine that recurses per character would let a
// long property list exhaust the stack.
std::optional<std::string> enclosed(const std::string& text, const std::string& element,
                                    std::size_t from, std::size_t& end) {
    auto open = "<" + element + ">";
    auto close = "</" + element + ">";
    auto start = text.find(open, from);
    if (start == std::string::npos) return std::nullopt;
    start += open.size();
    auto stop = text.find(close, start);
    if (stop == std::string::npos) return std::nullopt;
    end = stop + close.size();
    return text.substr(start, stop - start);
}

// The text right after <key>name</key>: a <string>, an <array> or a <dict>.
std::optional<std::string> valueOf(const std::string& plist, const std::string& key,
                                   const std::string& element) {
    auto tag = "<key>" + key + "</key>";
    for (auto at = plist.find(tag); at != std::string::npos; at = plist.find(tag, at + 1)) {
        auto value = plist.find_first_not_of(" \t\r\n\f\v", at + tag.size());
        if (value == std::string::npos) return std::nullopt;
        if (plist.compare(value, element.size() + 2, "<" + element + ">") != 0) continue;
        std::size_t end = 0;
        return enclosed(plist, element, value, end);
    }
    return std::nullopt;
}

std::vector<std::string> all(const std::string& text, const std::string& element) {
    std::vector<std::string> items;
    std::size_t end = 0;
    while (auto item = enclosed(text, element, end, end)) items.push_back(unescape(*item));
    return items;
}

}  // namespace

std::optional<JobDescription> readJob(const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    auto plist = text.str();
    JobDescription job;
    auto label = valueOf(plist, "Label", "string");
    if (!label) return std::nullopt;
    job.label = unescape(*label);
    if (auto arguments = valueOf(plist, "ProgramArguments", "array")) {
        job.arguments = all(*arguments, "string");
    }
    if (auto program = valueOf(plist, "Program", "string")) {
        if (job.arguments.empty()) job.arguments.push_back(unescape(*program));
        job.arguments[0] = unescape(*program);
    }
    if (job.arguments.empty()) return std::nullopt;
    if (auto errors = valueOf(plist, "StandardErrorPath", "string")) {
        job.standardErrorPath = unescape(*errors);
    }
    return job;
}

std::filesystem::path recordPath(const std::string& label) {
    return platform::systemPath("/private/var/db/launchd/" + label + ".job");
}

std::optional<RunningJob> readRecord(const std::string& label) {
    std::ifstream file(recordPath(label));
    RunningJob job;
    if (!(file >> job.pid >> job.started)) return std::nullopt;
    return job;
}

void writeRecord(const std::string& label, const RunningJob& job) {
    auto path = recordPath(label);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << job.pid << " " << job.started << "\n";
}

void removeRecord(const std::string& label) {
    std::error_code ignored;
    std::filesystem::remove(recordPath(label), ignored);
}

bool alive(const RunningJob& job) {
    return platform::processStart(job.pid) == job.started;
}

}  // namespace ventoria::launchd
