// DSM listings: DMA and vector-unit packets of the model (writing only).
#pragma once

#include <string>
#include <string_view>

#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {
// Writes the table as a listing titled `title`: 1 on success, 0 on failure (an existing
// file is left untouched).
int WriteDsm(const std::string& path, const std::string& title, const model::FaceTable& table,
             std::string* error = nullptr);
std::string FormatDsm(const std::string& title, const model::FaceTable& table);
}  // namespace formats
