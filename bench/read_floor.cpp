// read_floor: the least work any converter must do on its input. Reads FILE
// with read() in 256 KB blocks and counts its line feeds with std::count, then
// prints the count. bench/run.sh times it beside bdf2kvn as the floor.
//
// Usage: read_floor FILE
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: read_floor FILE\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "read_floor: %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  constexpr std::size_t kBlock = 256 * 1024;
  std::vector<char> block(kBlock);
  unsigned long long lines = 0;
  for (;;) {
    const ssize_t got = read(fd, block.data(), block.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "read_floor: %s: %s\n", argv[1], std::strerror(errno));
      return 1;
    }
    if (got == 0) break;
    lines += static_cast<unsigned long long>(std::count(block.data(), block.data() + got, '\n'));
  }
  close(fd);
  std::printf("%llu\n", lines);
  return 0;
}
