/* The floor under `tavrel generate`: what any program must do to replace an export folder of N
 * page files. Empties the folder (readdir and unlink), then writes N files of 1008 bytes with
 * open, write and close, named as the generator names its pages ("100-0000.pag", ...).
 *
 *     plain_export_floor FOLDER N
 */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: plain_export_floor FOLDER N\n");
    return 2;
  }
  const char* folder = argv[1];
  const int count = atoi(argv[2]);
  const int dir = open(folder, O_RDONLY | O_DIRECTORY);
  DIR* listing = dir < 0 ? NULL : fdopendir(dir);
  if (listing == NULL) {
    perror(folder);
    return 1;
  }
  for (struct dirent* entry = readdir(listing); entry != NULL; entry = readdir(listing)) {
    if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
    if (unlinkat(dir, entry->d_name, 0) != 0) {
      perror(entry->d_name);
      return 1;
    }
  }
  char record[1008];
  memset(record, ' ', sizeof record);
  char path[4096];
  for (int i = 0; i < count; ++i) {
    snprintf(path, sizeof path, "%s/%03d-%04d.pag", folder, 100 + i / 100, i % 100);
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, record, sizeof record) != (ssize_t)sizeof record || close(fd) != 0) {
      perror(path);
      return 1;
    }
  }
  closedir(listing);
  return 0;
}
