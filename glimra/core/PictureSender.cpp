#include "glimra/core/PictureSender.h"

#include "glimra/core/CommandIds.h"

namespace glimra {

PictureSender::PictureSender(std::string registryPath) : registryPath_(std::move(registryPath)) {}

int PictureSender::Send(int32_t portClass, const std::vector<std::string>& files,
                        const std::vector<std::string>& names) {
    if (portClass != 1) return kSendNotSupported;
    return SendByCable(files, names);
}

}  // namespace glimra
