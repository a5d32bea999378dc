// ventoria-kernel: the virtual Mac's Linux kernel drivers, as a FUSE file system mounted on
// the system root's /sys. ventoria-sim starts and stops it; it runs until unmounted or
// signalled, and unmounts on SIGTERM, SIGINT and SIGHUP.

#define FUSE_USE_VERSION 31
#include <fuse.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <mutex>

#include "driver_tree.h"
#include "ventoria/platform/system_root.h"

namespace {

using ventoria::sim::DriverTree;
using ventoria::sim::TreeEntry;

struct Served {
    std::mutex mutex;  // the library may call from more than one thread
    std::unique_ptr<DriverTree> tree;
};

Served& served() {
    static Served instance;
    return instance;
}

std::string_view relative(const char* path) {
    std::string_view view(path);
    while (view.starts_with('/')) view.remove_prefix(1);
    return view;
}

void* init(fuse_conn_info*, fuse_config* config) {
    // Nothing cached: every look and every read reaches the driver, as with sysfs.
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    config->direct_io = 1;
    config->use_ino = 0;
    return nullptr;
}

int getattr(const char* path, struct stat* st, fuse_file_info*) {
    std::lock_guard lock(served().mutex);
    auto entry = served().tree->lookup(relative(path));
    if (!entry) return -ENOENT;
    std::memset(st, 0, sizeof *st);
    st->st_mode = entry->mode;
    st->st_nlink = entry->kind == TreeEntry::Kind::directory ? 2 : 1;
    st->st_size = entry->kind == TreeEntry::Kind::file ? 4096 : 0;
    return 0;
}

int readlink(const char* path, char* buffer, size_t size) {
    std::lock_guard lock(served().mutex);
    auto entry = served().tree->lookup(relative(path));
    if (!entry || entry->kind != TreeEntry::Kind::link) return -ENOENT;
    std::strncpy(buffer, entry->target.c_str(), size - 1);
    buffer[size - 1] = '\0';
    return 0;
}

int readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    std::lock_guard lock(served().mutex);
    auto entry = served().tree->lookup(relative(path));
    if (!entry) return -ENOENT;
    if (entry->kind != TreeEntry::Kind::directory) return -ENOTDIR;
    fill(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    fill(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    for (const auto& name : served().tree->list(relative(path))) {
        fill(buffer, name.c_str(), nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    }
    return 0;
}

int open(const char* path, fuse_file_info* info) {
    std::lock_guard lock(served().mutex);
    auto entry = served().tree->lookup(relative(path));
    if (!entry) return -ENOENT;
    if (entry->kind != TreeEntry::Kind::file) return -EISDIR;
    info->fh = entry->generation;
    info->direct_io = 1;
    return 0;
}

int read(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
    std::lock_guard lock(served().mutex);
    if (served().tree->stale(static_cast<std::uint32_t>(info->fh))) return -ENODEV;
    auto text = served().tree->read(relative(path));
    if (auto* error = std::get_if<int>(&text)) return -*error;
    const auto& content = std::get<std::string>(text);
    if (offset < 0 || static_cast<size_t>(offset) >= content.size()) return 0;
    auto count = std::min(size, content.size() - static_cast<size_t>(offset));
    std::memcpy(buffer, content.data() + offset, count);
    return static_cast<int>(count);
}

int write(const char* path, const char* data, size_t size, off_t, fuse_file_info* info) {
    std::lock_guard lock(served().mutex);
    if (served().tree->stale(static_cast<std::uint32_t>(info->fh))) return -ENODEV;
    if (int error = served().tree->write(relative(path), std::string_view(data, size))) {
        return -error;
    }
    return static_cast<int>(size);
}

// `echo 1 > fan1_manual` opens with O_TRUNC: sysfs ignores it, and so does this.
int truncate(const char* path, off_t, fuse_file_info*) {
    std::lock_guard lock(served().mutex);
    return served().tree->lookup(relative(path)) ? 0 : -ENOENT;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 1) {
        std::cerr << "usage: " << argv[0]
                  << "\n(started by `ventoria-sim new --driver NAME`; mounts "
                     "$VENTORIA_SYSROOT/sys)\n";
        return 2;
    }
    auto root = ventoria::platform::systemRoot();
    auto mac = ventoria::sim::VirtualMac::attach(root);
    if (!mac) {
        std::cerr << "ventoria-kernel: no virtual Mac under " << root << "\n";
        return 1;
    }
    served().tree = std::make_unique<DriverTree>(mac);
    auto mountpoint = root / "sys";
    std::filesystem::create_directories(mountpoint);

    fuse_operations operations{};
    operations.init = init;
    operations.getattr = getattr;
    operations.readlink = readlink;
    operations.readdir = readdir;
    operations.open = open;
    operations.read = read;
    operations.write = write;
    operations.truncate = truncate;

    // As root, every user may look, and the files' own modes decide who may write.
    std::string options = "fsname=ventoria-sysfs,subtype=sysfs,default_permissions";
    if (::geteuid() == 0) options += ",allow_other";
    const char* arguments[] = {argv[0], "-o", options.c_str()};
    fuse_args args = FUSE_ARGS_INIT(3, const_cast<char**>(arguments));
    fuse* fs = fuse_new(&args, &operations, sizeof operations, nullptr);
    if (!fs) return 1;
    if (fuse_mount(fs, mountpoint.c_str()) != 0) {
        fuse_destroy(fs);
        return 1;
    }
    auto* session = fuse_get_session(fs);
    fuse_set_signal_handlers(session);
    int status = fuse_loop(fs);
    fuse_remove_signal_handlers(session);
    fuse_unmount(fs);
    fuse_destroy(fs);
    return status == 0 ? 0 : 1;
}
