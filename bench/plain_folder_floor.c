/* The floor for publishing page files to a folder: reads every file of SOURCE into memory
 * (not timed), then writes each into TARGET under a hidden temporary name with open, write and
 * close, flushing it with fsync when asked, and renames it over its page file. Prints the
 * seconds the writing took.
 *
 *     plain_folder_floor SOURCE TARGET [sync]
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

struct file {
  char name[256];
  char *bytes;
  size_t size;
};

int main(int argc, char **argv) {
  if (argc < 3) return 2;
  const int sync = argc > 3 && strcmp(argv[3], "sync") == 0;
  struct file *files = NULL;
  size_t count = 0, capacity = 0;
  DIR *source = opendir(argv[1]);
  if (source == NULL) return 1;
  struct dirent *entry;
  while ((entry = readdir(source)) != NULL) {
    if (entry->d_name[0] == '.') continue;
    if (count == capacity) {
      capacity = capacity ? 2 * capacity : 1024;
      files = realloc(files, capacity * sizeof *files);
    }
    struct file *f = &files[count++];
    snprintf(f->name, sizeof f->name, "%s", entry->d_name);
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", argv[1], f->name);
    FILE *in = fopen(path, "rb");
    if (in == NULL) return 1;
    fseek(in, 0, SEEK_END);
    f->size = (size_t)ftell(in);
    rewind(in);
    f->bytes = malloc(f->size + 1);
    if (fread(f->bytes, 1, f->size, in) != f->size) return 1;
    fclose(in);
  }
  closedir(source);
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (size_t i = 0; i < count; ++i) {
    char temporary[4096], path[4096];
    snprintf(temporary, sizeof temporary, "%s/.%s.new", argv[2], files[i].name);
    snprintf(path, sizeof path, "%s/%s", argv[2], files[i].name);
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, files[i].bytes, files[i].size) != (ssize_t)files[i].size) return 1;
    if (sync && fsync(fd) != 0) return 1;
    if (close(fd) != 0 || rename(temporary, path) != 0) return 1;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  printf("%.6f\n", (double)(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9);
  return 0;
}
