// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/peer_tools.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

bool run(const std::string& command) {
  // The command runs in a subshell so that its own redirections stay its own.
  const std::string full = "( " + command +
                           " ) >/tmp/pixkit-test-cmd.$$.log 2>&1; s=$?; "
                           "if [ $s -ne 0 ]; then cat /tmp/pixkit-test-cmd.$$.log >&2; fi; "
                           "rm -f /tmp/pixkit-test-cmd.$$.log; exit $s";
  const int status = std::system(full.c_str());
  return status == 0;
}

bool have_program(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

namespace {

std::string next_token(const std::vector<uint8_t>& data, size_t& pos) {
  while (pos < data.size()) {
    if (data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n') ++pos;
    } else if (std::isspace(data[pos])) {
      ++pos;
    } else {
      break;
    }
  }
  std::string token;
  while (pos < data.size() && !std::isspace(data[pos])) token += char(data[pos++]);
  return token;
}

}  // namespace

Rgba read_pnm(const std::string& path) {
  const std::vector<uint8_t> data = read_file(path);
  Rgba out;
  size_t pos = 0;
  const std::string magic = next_token(data, pos);
  int depth = 0, maxval = 0;
  if (magic == "P5" || magic == "P6") {
    out.width = std::stoi(next_token(data, pos));
    out.height = std::stoi(next_token(data, pos));
    maxval = std::stoi(next_token(data, pos));
    depth = magic == "P5" ? 1 : 3;
    ++pos;
  } else if (magic == "P7") {
    for (;;) {
      const std::string key = next_token(data, pos);
      if (key == "ENDHDR" || key.empty()) break;
      const std::string value = next_token(data, pos);
      if (key == "WIDTH") out.width = std::stoi(value);
      if (key == "HEIGHT") out.height = std::stoi(value);
      if (key == "DEPTH") depth = std::stoi(value);
      if (key == "MAXVAL") maxval = std::stoi(value);
      if (key == "TUPLTYPE") {
      }
    }
    ++pos;
  } else {
    throw std::runtime_error("not a portable pixmap: " + path);
  }
  if (maxval != 255) throw std::runtime_error("maxval is not 255: " + path);
  out.channels = (depth == 2 || depth == 4) ? 4 : 3;
  const size_t n = size_t(out.width) * out.height;
  if (data.size() < pos + n * depth) throw std::runtime_error("short pixmap: " + path);
  out.pixels.resize(n * out.channels);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = &data[pos + i * depth];
    uint8_t* q = &out.pixels[i * out.channels];
    if (depth <= 2) {
      q[0] = q[1] = q[2] = p[0];
      if (depth == 2) q[3] = p[1];
    } else {
      q[0] = p[0];
      q[1] = p[1];
      q[2] = p[2];
      if (depth == 4) q[3] = p[3];
    }
  }
  return out;
}

void write_pnm(const std::string& path, const Rgba& picture) {
  std::ofstream out(path, std::ios::binary);
  if (picture.channels == 3) {
    out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
  } else {
    out << "P7\nWIDTH " << picture.width << "\nHEIGHT " << picture.height
        << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  }
  out.write(reinterpret_cast<const char*>(picture.pixels.data()), std::streamsize(picture.pixels.size()));
}

}  // namespace testsupport
