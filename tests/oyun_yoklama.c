/* oyun_yoklama: a stand-in game for tests. Writes what it was started with to
 * "oyun_yoklama.txt" in its working directory: argument 0, the working directory, the
 * MORVATAN_ variables and every other environment line count, and its open descriptors. */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    (void)argc;
    char dizin[4096];
    if (!getcwd(dizin, sizeof dizin)) dizin[0] = 0;
    FILE* f = fopen("oyun_yoklama.txt", "w");
    if (!f) return 3;
    fprintf(f, "arg0=%s\ncwd=%s\n", argv[0], dizin);
    int diger = 0;
    for (char** e = environ; *e; ++e) {
        if (strncmp(*e, "MORVATAN_", 9) == 0) fprintf(f, "%s\n", *e);
        else ++diger;
    }
    fprintf(f, "diger=%d\n", diger);
    DIR* d = opendir("/proc/self/fd");
    const int kendi = d ? dirfd(d) : -1;
    for (struct dirent* g; d && (g = readdir(d));) {
        if (g->d_name[0] == '.' || atoi(g->d_name) == kendi) continue;
        if (atoi(g->d_name) == fileno(f)) continue;
        fprintf(f, "fd=%s\n", g->d_name);
    }
    if (d) closedir(d);
    fclose(f);
    return 0;
}
