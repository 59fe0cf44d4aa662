#include "util/textwriter.hpp"

#include <atomic>
#include <cstdio>

#include "util/fault.hpp"
#include "util/ospath.hpp"
#include "util/platform.hpp"

namespace morvane {
namespace {

std::atomic<unsigned> g_temp_counter{0};

}  // namespace

TextWriter::~TextWriter() { discard(); }

bool TextWriter::open(const std::string& path) {
    discard();
    path_ = path;
    buf_.clear();
    ok_ = false;
    if (path.empty() || !platform::resolve_links(path, target_)) return false;
    const platform::PathKind kind = platform::path_kind(target_);
    if (kind == platform::PathKind::Directory) return false;
    if (kind == platform::PathKind::Other) {
        file_ = File(target_, kTextWriteMode);
    } else {
        // The process id keeps two programs writing beside each other apart;
        // the counter keeps two writers of one process apart.
        temp_ = target_ + ".~" + std::to_string(platform::process_id()) + "-" +
                std::to_string(g_temp_counter.fetch_add(1)) + ".tmp";
        file_ = File(temp_, kTextWriteMode);
        if (!file_.is_open()) temp_.clear();
        else if (kind == platform::PathKind::Regular) platform::copy_permissions(target_, temp_);
    }
    if (!file_.is_open()) return false;
    // Unbuffered: each flush is one write of the whole block from buf_.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    buf_.reserve(kBlock + kBlock / 8);
    ok_ = true;
    return true;
}

bool TextWriter::flush() {
    if (!file_.is_open()) return false;
    if (!buf_.empty()) {
        if (ok_ && (fault::hit(fault::Op::Write) || std::fwrite(buf_.data(), 1, buf_.size(), file_.get()) != buf_.size()))
            ok_ = false;
        buf_.clear();
    }
    return ok_;
}

bool TextWriter::commit() {
    if (!file_.is_open()) return false;
    flush();
    if (!file_.close()) ok_ = false;
    if (!temp_.empty()) {
        if (ok_ && (fault::hit(fault::Op::Rename) || !platform::replace_file(temp_, target_))) ok_ = false;
        if (!ok_) platform::remove_file(temp_);
        temp_.clear();
    }
    return ok_;
}

void TextWriter::discard() {
    buf_.clear();
    if (file_.is_open()) file_.close();
    if (!temp_.empty()) platform::remove_file(temp_);
    temp_.clear();
}

}  // namespace morvane
