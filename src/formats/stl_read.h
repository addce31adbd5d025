// Reading STL files, binary and text, told apart by their content: a binary file may begin
// with the word "solid" too, so its triangle count against its size decides first.
#pragma once

#include <string>
#include <string_view>

#include "formats/read_result.h"
#include "model/model_host.h"

namespace formats {

// Adds the file's triangles to host.m_pMesh, coordinates and corner order as the file has
// them, corners at one position shared: 1, or 0 with nothing added.
int ReadStl(const std::string& path, model::ModelHost& host, ReadResult* result = nullptr);
int ReadStlBytes(std::string_view bytes, model::ModelHost& host, ReadResult* result = nullptr);

}  // namespace formats
