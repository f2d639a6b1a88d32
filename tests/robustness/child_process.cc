#include "child_process.h"

#include <cstdio>
#include <exception>
#include <map>

namespace robustness {

namespace {

std::map<std::string, ChildBody>& Bodies() {
    static std::map<std::string, ChildBody> bodies;
    return bodies;
}

const NamedChildBody kNothing("nothing", [](const ChildArgs&) { return 0; });

}  // namespace

NamedChildBody::NamedChildBody(const char* name, ChildBody body) {
    Bodies()[name] = body;
}

int RunBody(const std::string& body, const ChildArgs& args) {
    const auto found = Bodies().find(body);
    if (found == Bodies().end()) {
        std::fprintf(stderr, "child: no body named %s\n", body.c_str());
        return 104;
    }
    try {
        return found->second(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "child: %s\n", e.what());
    } catch (...) {
    }
    return 101;
}

long BaselineRssKb() {
    static const long baseline = RunInChild("nothing").maxRssKb;
    return baseline;
}

}  // namespace robustness
