#include "glimra/core/PictureSender.h"

#include "glimra/core/CommandIds.h"

namespace glimra {

// The card link is not part of this build yet: a cable transfer cannot be made.
int PictureSender::SendByCable(const std::vector<std::string>& files, const std::vector<std::string>& names) {
    if (files.empty() || files.size() != names.size()) return kSendNothingToReport;
    return kSendFailure;
}

}  // namespace glimra
