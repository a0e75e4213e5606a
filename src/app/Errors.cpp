#include "app/Errors.h"

namespace tv {

EMethodFailed::EMethodFailed(const std::string& call, int reason)
    : ETerravaneException(call + " failed, reason " + std::to_string(reason)), reason_(reason) {}

ETerrainNoCallback::ETerrainNoCallback(int cellX, int cellZ, int type)
    : ETerravaneException("Terrain callback not found (cell: [" + std::to_string(cellX) + "," +
                          std::to_string(cellZ) + "]; type: " + std::to_string(type) + ")") {}

const char* ExceptionClassName(const std::exception& error) {
    if (auto* own = dynamic_cast<const Exception*>(&error)) return own->ClassName();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return "EOutOfMemory";
    return "Exception";
}

}  // namespace tv
