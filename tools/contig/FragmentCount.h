#pragma once

#include <optional>
#include <string>

namespace rp::contig {

// The number of pieces a file's data lies in on disk: its extents as the file system reports
// them (FIEMAP), with physically adjoining extents counted as one. An empty file has 0. Nothing
// when the file system cannot tell; why is put in error.
std::optional<long> fragmentCount(int fd, std::string& error);

} // namespace rp::contig
