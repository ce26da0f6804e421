/* The least a program can do to react to the assistant's state file being replaced: one inotify watch on its
   folder, woken by the rename, then the file read whole and one line written. The reaction benchmark runs it
   beside the application as the limit of the machine.

   Usage: minimal_watcher <folder> <file name> */
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/inotify.h>
#include <unistd.h>

static void say(const char* line)
{
    ssize_t ignored = write(STDOUT_FILENO, line, strlen(line));
    (void)ignored;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s <folder> <file name>\n", argv[0]);
        return 2;
    }
    int events = inotify_init1(IN_CLOEXEC);
    if (events < 0 || inotify_add_watch(events, argv[1], IN_MOVED_TO) < 0) {
        perror("inotify");
        return 1;
    }
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%s/%s", argv[1], argv[2]);
    static char contents[1 << 20];
    say("watcher: ready\n");
    for (;;) {
        char buffer[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
        ssize_t length = read(events, buffer, sizeof buffer);
        if (length <= 0)
            return 1;
        int replaced = 0;
        for (char* at = buffer; at < buffer + length;) {
            const struct inotify_event* event = (const struct inotify_event*)at;
            replaced |= event->len > 0 && strcmp(event->name, argv[2]) == 0;
            at += sizeof *event + event->len;
        }
        if (!replaced)
            continue;
        int file = open(path, O_RDONLY | O_CLOEXEC);
        size_t total = 0;
        for (ssize_t got; file >= 0 && (got = read(file, contents, sizeof contents)) > 0;)
            total += (size_t)got;
        if (file >= 0)
            close(file);
        char line[64];
        snprintf(line, sizeof line, "watcher: read %zu\n", total);
        say(line);
    }
}
