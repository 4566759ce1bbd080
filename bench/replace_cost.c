/* What one replace of a small file costs, done the ways a writer can do it:
 * a temporary file without a name (O_TMPFILE) that is linked through
 * /proc/self/fd and renamed over the target, or a temporary file made by
 * name and renamed; each without a sync and with the file and its folder
 * synced, as the platform layer does today.
 *
 *   replace_cost FOLDER COUNT
 *
 * Prints, for each way, the wall and processor time of one replace in
 * microseconds. FOLDER is where the target lies; it picks the file
 * system. */

#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum { kSize = 2500 };

static char bytes[kSize];
static char folder[4096];
static char target[4200];

static double Now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

static double Processor(void) {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec / 1e6;
}

static int SyncFolder(void) {
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  int ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

static int Unnamed(int sync) {
  int fd = open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  char self[64];
  char name[4300];
  snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  snprintf(name, sizeof name, "%s/.replace-%ld-0", folder, (long)getpid());
  int ok = write(fd, bytes, kSize) == kSize && fchmod(fd, 0644) == 0 && (!sync || fsync(fd) == 0) &&
           linkat(AT_FDCWD, self, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0;
  ok = close(fd) == 0 && ok && rename(name, target) == 0;
  return ok && (!sync || SyncFolder());
}

static int Named(int sync) {
  char name[4300];
  snprintf(name, sizeof name, "%s/.replace-%ld-0", folder, (long)getpid());
  int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  int ok = write(fd, bytes, kSize) == kSize && fchmod(fd, 0644) == 0 && (!sync || fsync(fd) == 0);
  ok = close(fd) == 0 && ok && rename(name, target) == 0;
  return ok && (!sync || SyncFolder());
}

static void Time(const char* what, int (*replace)(int), int sync, long count) {
  double wall = Now();
  double processor = Processor();
  for (long i = 0; i < count; ++i) {
    if (!replace(sync)) {
      perror(what);
      exit(1);
    }
  }
  printf("%-38s %8.1f us, processor %6.1f us\n", what, 1e6 * (Now() - wall) / count,
         1e6 * (Processor() - processor) / count);
}

int main(int argc, char** argv) {
  if (argc != 3 || strlen(argv[1]) >= sizeof folder) {
    fprintf(stderr, "usage: replace_cost FOLDER COUNT\n");
    return 2;
  }
  strcpy(folder, argv[1]);
  snprintf(target, sizeof target, "%s/target.src", folder);
  memset(bytes, 'x', sizeof bytes);
  long count = atol(argv[2]);
  Time("unnamed (O_TMPFILE, linkat), no sync:", Unnamed, 0, count);
  Time("named, no sync:", Named, 0, count);
  Time("unnamed (O_TMPFILE, linkat), synced:", Unnamed, 1, count / 10);
  Time("named, synced:", Named, 1, count / 10);
  unlink(target);
  return 0;
}
