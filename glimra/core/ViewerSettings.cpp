#include "glimra/core/ViewerSettings.h"

#include "platform/Registry.h"

namespace glimra {

ViewerSettings::ViewerSettings(std::string registryPath) : registryPath_(std::move(registryPath)) {}

void ViewerSettings::ReadViewerSettings(int32_t& mode, int32_t& time, int32_t& portClass) const {
    platform::Registry reg(registryPath_);
    if (auto v = reg.GetDword(kKey, "Slide Show Mode")) mode = int32_t(*v);
    if (auto v = reg.GetDword(kKey, "Slide Show Time")) time = int32_t(*v);
    if (auto v = reg.GetDword(kKey, "Port Class")) portClass = int32_t(*v);
}

void ViewerSettings::ReadEditToolName(std::string& name) const {
    platform::Registry reg(registryPath_);
    // A name longer than the place for it is not read at all: a program
    // name cut short would start something else.
    if (auto v = reg.GetString(kKey, "Edit Tool Name"); v && v->size() <= kMaxEditToolName) name = *v;
}

}  // namespace glimra
