#pragma once

#include "platform/short_path_service.h"

// This platform has no short names: the "short" path of a file is its
// absolute path. Only existing regular files are answered, so choosing a
// folder, or a file that has vanished, fails.
class QtShortPathService : public ShortPathService {
public:
    std::uint32_t GetShortPathName(const QByteArray& longPath, char* buffer,
                                   std::uint32_t length) override;
};
