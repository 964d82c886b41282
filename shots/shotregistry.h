#pragma once
// Views of zentaro-shots register themselves from a file of their own:
//
//   ZENTARO_SHOT("key", [](ShotContext& c) {
//       c.showPage(PageKey);
//       c.save("key");
//   });
//
// zentaro-shots runs them in registration order, each on the same window
// (reached through the device page and the sync), or only the ones named
// with --only=name,name.

#include <functional>
#include <vector>

class ShotContext;

namespace shots {

using Function = std::function<void(ShotContext&)>;

struct Registrar {
    Registrar(const char* name, Function function);
};

struct Entry {
    const char* name;
    Function function;
};
const std::vector<Entry>& entries();

}  // namespace shots

#define ZENTARO_SHOT_CAT2(a, b) a##b
#define ZENTARO_SHOT_CAT(a, b) ZENTARO_SHOT_CAT2(a, b)
#define ZENTARO_SHOT(name, ...) \
    static shots::Registrar ZENTARO_SHOT_CAT(shot_registrar_, __LINE__)(name, __VA_ARGS__)
