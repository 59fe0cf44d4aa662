// Every kind of target a file writer may be given (a new name, a file, links,
// a loop of links, a FIFO, devices, folders, a read-only folder, a file system
// that takes no more) and every failure the file layer can be made to give,
// with what must become of the target in each case.
// On Windows the cases of POSIX objects (links, FIFOs, device nodes, mounts,
// size limits) are left out; a new name, a file, a folder, the NUL device
// and every fault are checked there too.
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sched.h>
#include <unistd.h>
#endif

#include <atomic>
#include <csignal>
#include <functional>
#include <map>
#include <thread>

#include "support/test_support.hpp"
#include "util/fault.hpp"

namespace morvane::testing {

namespace fs = std::filesystem;

// A writer under test: writes its file at path and returns its message ("" on success).
using Writer = std::function<std::string(const std::string& path)>;

#ifndef _WIN32
// fn's result, computed in a child process (for limits and mounts that must not
// reach the test itself).
inline std::string in_child(const std::function<std::string()>& fn) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string r = fn();
        [[maybe_unused]] const auto n = write(fds[1], r.data(), r.size());
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "child failed";
}

// Makes dir read-only for this (child) process: a read-only bind mount in a
// mount namespace of its own when it runs as root (permission bits do not stop
// root), else the permission bits. False when neither is possible.
inline bool make_read_only(const std::string& dir) {
    if (geteuid() != 0) return chmod(dir.c_str(), 0555) == 0;
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
           mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// A character device like /dev/<name> (major 1, minor) in dir when the process
// may make one, else the system's own (which a process that cannot make
// devices cannot replace either).
inline std::string device(const std::string& dir, const char* name, unsigned minor) {
    const std::string path = dir + "/" + name;
    return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0 ? path : std::string("/dev/") + name;
}

// What a FIFO receives while writer writes into it.
inline std::string through_fifo(const Writer& writer, const std::string& fifo, std::string& message) {
    std::atomic<bool> done{false};
    std::string got;
    // Opened without waiting for a writer, so that a writer that never opens
    // the FIFO cannot hang the test.
    const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::thread reader([&] {
        char buf[1 << 16];
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 20);
            const bool finished = done;  // all the text is in the FIFO once the writer has returned
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
            else if (finished) break;
        }
    });
    message = writer(fifo);
    done = true;
    reader.join();
    close(fd);
    return got;
}

#endif

using Norm = std::function<std::string(std::string)>;
inline std::string same(std::string s) { return s; }

// A folder's entries below it, by name, with what each is: "f:<label>" for a
// file (the label of its text after norm in labels, else its size), "l:<link
// text>", "d", "p" (FIFO), "c" (device).
inline std::map<std::string, std::string> entries(const std::string& dir, const std::map<std::string, std::string>& labels,
                                                  const Norm& norm = same, const std::string& below = "") {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = below + e.path().filename().string();
        switch (e.symlink_status().type()) {
            case fs::file_type::symlink: m[name] = "l:" + fs::read_symlink(e.path()).string(); break;
            case fs::file_type::directory:
                m[name] = "d";
                m.merge(entries(e.path().string(), labels, norm, name + "/"));
                break;
            case fs::file_type::fifo: m[name] = "p"; break;
            case fs::file_type::character: m[name] = "c"; break;
            default: {
                const std::string text = norm(read_file(e.path().string()));
                const auto it = labels.find(text);
                m[name] = "f:" + (it != labels.end() ? it->second : std::to_string(text.size()) + " bytes");
            }
        }
    }
    return m;
}

// Runs writer on every kind of target. good is the text a successful write
// leaves (after norm, which may blank a date), failure(path) the writer's
// message for a target it cannot write.
inline void check_targets(const Writer& writer, const std::string& good, const std::function<std::string(const std::string&)>& failure,
                          const Norm& norm = same) {
    using Entries = std::map<std::string, std::string>;
    const std::string old = "f:old", now = "f:good";
    const Entries labels{{"old\n", "old"}, {norm(good), "good"}};
    struct Case {
        const char* kind;
        std::function<std::string(const std::string& dir)> setup;  // the target's name
        bool ok;
        Entries after;  // the folder afterwards
    };
    const Case cases[] = {
        {"new name", [](auto& d) { return d + "/out"; }, true, {{"out", now}}},
        {"file", [](auto& d) { write_file(d + "/out", "old\n"); fs::permissions(d + "/out", fs::perms(0640)); return d + "/out"; },
         true, {{"out", now}}},
        {"folder", [](auto& d) { fs::create_directory(d + "/out"), write_file(d + "/out/x", "old\n"); return d + "/out"; },
         false, {{"out", "d"}, {"out/x", old}}},
#ifndef _WIN32
        {"link", [](auto& d) { fs::create_directory(d + "/sub"), write_file(d + "/sub/real", "old\n");
             fs::create_symlink("sub/real", d + "/out"); return d + "/out"; },
         true, {{"out", "l:sub/real"}, {"sub", "d"}, {"sub/real", now}}},
        {"chain to no file", [](auto& d) { fs::create_directory(d + "/sub"), fs::create_symlink("sub/l2", d + "/out");
             fs::create_symlink("../new", d + "/sub/l2"); return d + "/out"; },
         true, {{"out", "l:sub/l2"}, {"sub", "d"}, {"sub/l2", "l:../new"}, {"new", now}}},
        {"loop", [](auto& d) { fs::create_symlink("b", d + "/a"), fs::create_symlink("a", d + "/b"); return d + "/a"; },
         false, {{"a", "l:b"}, {"b", "l:a"}}},
        {"link to folder", [](auto& d) { fs::create_directory(d + "/sub"), fs::create_symlink("sub", d + "/out"); return d + "/out"; },
         false, {{"out", "l:sub"}, {"sub", "d"}}},
#endif
    };
    for (const Case& c : cases) {
        const std::string dir = scratch_dir();
        const std::string path = c.setup(dir);
        const std::string msg = writer(path);
        EXPECT_EQ(msg, c.ok ? "" : failure(path)) << c.kind;
        EXPECT_EQ(entries(dir, labels, norm), c.after) << c.kind;
#ifndef _WIN32
        if (c.kind == std::string("file")) {
            EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640)) << "the old file's mode kept";
        }
#endif
    }
#ifdef _WIN32
    // The NUL device is written in place and stays what it is.
    EXPECT_EQ(writer("NUL"), "");
#else

    // A FIFO receives the text and stays a FIFO; devices stay devices, and
    // one that takes nothing (like /dev/full) gives the message.
    const std::string dir = scratch_dir();
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
    std::string msg;
    EXPECT_TRUE(norm(through_fifo(writer, dir + "/fifo", msg)) == norm(good)) << "FIFO";
    EXPECT_EQ(msg, "");
    const std::string null = device(dir, "null", 3), full = device(dir, "full", 7);
    EXPECT_EQ(writer(null), "");
    EXPECT_EQ(writer(full), failure(full));
    for (const std::string& p : {dir + "/fifo", null, full})
        EXPECT_FALSE(fs::is_regular_file(p) || fs::is_symlink(p)) << p;
    EXPECT_EQ(entries(dir, labels).size(), null.starts_with(dir) ? 3u : 1u);

    // A read-only folder, and a file system that takes no more than half the
    // text (a limit on the size of files): the message, the old file kept.
    const std::string ro = scratch_dir();
    write_file(ro + "/out", "old\n");
    EXPECT_EQ(in_child([&] { return make_read_only(ro) ? writer(ro + "/out") : "cannot make a read-only folder"; }),
              failure(ro + "/out"));
    chmod(ro.c_str(), 0755);
    EXPECT_EQ(in_child([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlim_t half = good.size() / 2;
                  const rlimit lim{half, half};
                  return setrlimit(RLIMIT_FSIZE, &lim) == 0 ? writer(ro + "/out") : "no limit";
              }),
              failure(ro + "/out"));
    EXPECT_EQ(entries(ro, labels, norm), (Entries{{"out", old}}));
#endif
}

// Makes each open, write, close and rename of one writer call fail in turn:
// every time the writer's message, the old file as it was and nothing else in the folder.
inline void check_faults(const Writer& writer, const std::function<std::string(const std::string&)>& failure) {
    const std::string dir = scratch_dir(), path = dir + "/out";
    fault::reset();
    ASSERT_EQ(writer(path), "");
    const std::pair<fault::Op, const char*> ops[] = {
        {fault::Op::Open, "open"}, {fault::Op::Write, "write"}, {fault::Op::Close, "close"}, {fault::Op::Rename, "rename"}};
    int counts[4];
    for (int i = 0; i < 4; ++i) counts[i] = fault::count(ops[i].first);
    for (int i = 0; i < 4; ++i) {
        EXPECT_GE(counts[i], 1) << ops[i].second;
        for (int n = 1; n <= counts[i]; ++n) {
            write_file(path, "old\n");
            fault::reset();
            fault::arm(ops[i].first, n);
            EXPECT_EQ(writer(path), failure(path)) << ops[i].second << " " << n;
            EXPECT_EQ(entries(dir, {{"old\n", "old"}}), (std::map<std::string, std::string>{{"out", "f:old"}})) << ops[i].second << " " << n;
        }
    }
    fault::reset();
}

}  // namespace morvane::testing
