// Rokkaku Daioh files (.rok, reading only).
#pragma once

#include <string>
#include <string_view>

#include "model/face_table.h"
#include "model/model_host.h"

namespace formats {
// Adds the file's faces to host.m_pMesh: 1 on success, 0 on failure (nothing added;
// `error` says why).
int ReadRok(const std::string& path, model::ModelHost& host, std::string* error = nullptr);
int ReadRokBytes(std::string_view data, model::ModelHost& host, std::string* error = nullptr);

}  // namespace formats
