/* The least one step of the exchange program needs, for the benchmark's
 * floor: it takes the same argument text as the exchange program, finds
 * the target in it and either reads it (a save) or reads it and writes it
 * back in one step, through a temporary file in the same folder and a
 * rename, without a sync (an exchange).
 *
 *   floor_step 'TARGET | CONTROL [| SOURCE] /TXT' save|exchange
 *
 * The second argument says which; the driver knows it from the control
 * file, which the step itself does not read. A target path maps as the
 * platform layer maps it on POSIX, without looking up names regardless of
 * case: drive X: is the folder $VANTREL_DRIVE_X, a path beginning with a
 * backslash is a host path, and every backslash is a slash.
 *
 * Written in the common part of C and C++, so that the C compiler of
 * either libc builds it (`-x c`) and the cheaper start can be taken. */

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kPathMax = 4096 };

/* The target is the text before the first bar, blanks around it trimmed. */
static int TargetOf(const char* text, char* target) {
  const char* end = strchr(text, '|');
  if (!end) return 0;
  while (*text == ' ') ++text;
  while (end > text && end[-1] == ' ') --end;
  size_t size = (size_t)(end - text);
  if (size == 0 || size >= kPathMax) return 0;
  memcpy(target, text, size);
  target[size] = '\0';
  return 1;
}

static int HostPath(const char* path, char* host) {
  size_t used = 0;
  if (path[0] != '\0' && path[1] == ':') {
    char name[] = "VANTREL_DRIVE_X";
    name[sizeof name - 2] = (char)(path[0] & ~0x20);
    const char* drive = getenv(name);
    if (!drive) return 0;
    used = strlen(drive);
    if (used >= kPathMax) return 0;
    memcpy(host, drive, used);
    path += 2;
  }
  for (; *path; ++path) {
    if (used + 1 >= kPathMax) return 0;
    host[used++] = *path == '\\' ? '/' : *path;
  }
  host[used] = '\0';
  return 1;
}

/* The size is known, so one read takes a small file whole; no second
 * read asks for an end that the size told already. */
static char* ReadWhole(int fd, size_t* size, mode_t* mode) {
  struct stat info;
  if (fstat(fd, &info) != 0) return 0;
  *mode = info.st_mode & 07777;
  size_t want = (size_t)info.st_size;
  char* bytes = (char*)malloc(want + 1);
  if (!bytes) return 0;
  size_t filled = 0;
  while (filled < want) {
    ssize_t got = read(fd, bytes + filled, want - filled);
    if (got <= 0) break;
    filled += (size_t)got;
  }
  *size = filled;
  return bytes;
}

static int WriteAll(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    ssize_t put = write(fd, bytes, size);
    if (put <= 0) return 0;
    bytes += put;
    size -= (size_t)put;
  }
  return 1;
}

static int Replace(const char* host, const char* bytes, size_t size, mode_t mode) {
  char temp[kPathMax + 16];
  const char* slash = strrchr(host, '/');
  size_t folder = slash ? (size_t)(slash - host) + 1 : 0;
  memcpy(temp, host, folder);
  strcpy(temp + folder, ".floor-step.tmp");
  int out = open(temp, O_WRONLY | O_CREAT | O_TRUNC, mode);
  if (out < 0) return 0;
  int written = WriteAll(out, bytes, size);
  if (close(out) != 0 || !written) return 0;
  return rename(temp, host) == 0;
}

int main(int argc, char** argv) {
  char target[kPathMax];
  char host[kPathMax];
  if (argc < 3 || !TargetOf(argv[1], target) || !HostPath(target, host)) return 2;
  int in = open(host, O_RDONLY);
  if (in < 0) return 1;
  size_t size = 0;
  mode_t mode = 0;
  char* bytes = ReadWhole(in, &size, &mode);
  close(in);
  if (!bytes) return 1;
  if (strcmp(argv[2], "exchange") == 0 && !Replace(host, bytes, size, mode)) return 1;
  return 0;
}
