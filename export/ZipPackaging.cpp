#include "export/ZipPackaging.h"

#include <zlib.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// libxlsxwriter writes its package through minizip: a member is opened with
// zipOpenNewFileInZip4_64, filled with zipWriteInFileInZip and ended with
// zipCloseFileInZip. Those three are defined here, in the program, so the
// library's calls come here first (the program's own definitions come before
// those of the libraries it loads) and are handed on to minizip. Outside a
// FastPackaging they go on unchanged; inside one, a member minizip would
// deflate is opened raw and deflated here. A libxlsxwriter built with
// minizip inside never comes here and keeps its own way.

namespace {

constexpr int kZipOk = 0;
constexpr int kZipParamError = -102;
constexpr int kZipInternalError = -104;
constexpr std::size_t kWindow = 32768; // what deflate looks back on

using OpenFn = int (*)(void*, const char*, const void*, const void*, unsigned, const void*, unsigned,
    const char*, int, int, int, int, int, int, const char*, unsigned long, unsigned long, unsigned long, int);
using WriteFn = int (*)(void*, const void*, unsigned);
using CloseFn = int (*)(void*);
using CloseRawFn = int (*)(void*, std::uint64_t, unsigned long);

template <typename Fn> Fn Next(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

thread_local int tFast = 0;
std::atomic<std::size_t> gPieceSize { 1 << 18 };
std::atomic<unsigned> gWorkers { 0 };

// One member being deflated: its input cut into pieces, each deflated on a
// worker with the 32 KB before it as its dictionary and ended on a byte
// boundary (a sync flush, the last one a finish), so that the pieces laid
// end to end are the one deflate stream of the whole member. The pieces are
// handed to minizip in order as they are done; a few are in flight at most.
class Member {
public:
    Member(void* file, WriteFn write)
        : file_(file)
        , write_(write)
        , workers_(quillet::FastPackaging::Workers())
    {
    }
    ~Member()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

    void* File() const { return file_; }

    int Write(const void* data, unsigned size)
    {
        const auto* bytes = static_cast<const char*>(data);
        total_ += size;
        const std::size_t piece = quillet::FastPackaging::PieceSize();
        if (filling_.capacity() < piece)
            filling_.reserve(piece); // filled without growing step by step
        while (size > 0 && failure_ == kZipOk) {
            const std::size_t take = std::min<std::size_t>(size, piece - filling_.size());
            filling_.append(bytes, take);
            bytes += take;
            size -= static_cast<unsigned>(take);
            if (filling_.size() >= piece)
                Submit(false);
        }
        return failure_;
    }

    // Deflates what is left and hands every piece on; the member's size
    // and checksum for its header.
    int Finish(std::uint64_t& size, unsigned long& crc)
    {
        if (failure_ == kZipOk)
            Submit(true);
        while (!pieces_.empty() && failure_ == kZipOk)
            HandOnFirst();
        size = total_;
        crc = crc_;
        return failure_;
    }

private:
    struct Piece {
        std::string in, dictionary, out;
        unsigned long crc = 0; // of in, worked out where it is deflated
        std::size_t length = 0;
        bool last = false;
        bool done = false;
        bool ok = false;
    };

    void Submit(bool last)
    {
        auto piece = std::make_shared<Piece>();
        // The 32 KB before the piece, which deflate may refer back to.
        piece->dictionary = std::move(window_);
        const std::size_t keep = std::min(kWindow, filling_.size());
        window_.assign(filling_, filling_.size() - keep, keep);
        piece->in = std::move(filling_);
        filling_.clear();
        piece->last = last;
        // A member of one piece, as most are, is deflated here; so is every
        // piece when there is one worker.
        if (workers_ == 1 || (last && pieces_.empty())) {
            Deflate(*piece);
            piece->done = true;
            pieces_.push_back(piece);
            HandOnFirst();
            return;
        }
        while (pieces_.size() >= 2 * workers_ && failure_ == kZipOk)
            HandOnFirst();
        if (threads_.empty())
            for (unsigned k = 0; k < workers_; ++k)
                threads_.emplace_back([this] { Work(); });
        {
            std::lock_guard lock(mutex_);
            pieces_.push_back(piece);
            waiting_.push_back(piece);
        }
        work_.notify_one();
    }

    void HandOnFirst()
    {
        std::shared_ptr<Piece> first;
        {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [this] { return pieces_.front()->done; });
            first = pieces_.front();
            pieces_.pop_front();
        }
        // The member's checksum is its pieces' checksums joined in order.
        crc_ = ::crc32_combine(crc_, first->crc, static_cast<z_off_t>(first->length));
        if (!first->ok)
            failure_ = kZipInternalError;
        else if (const int written
                 = write_(file_, first->out.data(), static_cast<unsigned>(first->out.size()));
                 written != kZipOk)
            failure_ = written;
    }

    void Work()
    {
        for (;;) {
            std::shared_ptr<Piece> piece;
            {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
                if (stopping_)
                    return;
                piece = waiting_.front();
                waiting_.pop_front();
            }
            Deflate(*piece);
            {
                std::lock_guard lock(mutex_);
                piece->done = true;
            }
            done_.notify_all();
        }
    }

    static void Deflate(Piece& piece)
    {
        piece.length = piece.in.size();
        piece.crc = ::crc32(::crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(piece.in.data()),
            static_cast<uInt>(piece.in.size()));
        z_stream stream {};
        if (deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return;
        const bool primed = piece.dictionary.empty()
            || deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(piece.dictionary.data()),
                   static_cast<uInt>(piece.dictionary.size()))
                == Z_OK;
        piece.out.resize(deflateBound(&stream, static_cast<uLong>(piece.in.size())) + 64);
        stream.next_in = reinterpret_cast<Bytef*>(piece.in.data());
        stream.avail_in = static_cast<uInt>(piece.in.size());
        stream.next_out = reinterpret_cast<Bytef*>(piece.out.data());
        stream.avail_out = static_cast<uInt>(piece.out.size());
        if (primed) {
            const int result = deflate(&stream, piece.last ? Z_FINISH : Z_SYNC_FLUSH);
            piece.ok = piece.last ? result == Z_STREAM_END : result == Z_OK && stream.avail_in == 0;
        }
        piece.out.resize(piece.ok ? stream.total_out : 0);
        deflateEnd(&stream);
        std::string().swap(piece.in);
        std::string().swap(piece.dictionary);
    }

    void* file_;
    WriteFn write_;
    unsigned workers_;
    std::string filling_, window_;
    unsigned long crc_ = ::crc32(0, nullptr, 0);
    std::uint64_t total_ = 0;
    int failure_ = kZipOk;
    std::deque<std::shared_ptr<Piece>> pieces_; // in member order, the first handed on next
    std::deque<std::shared_ptr<Piece>> waiting_; // not yet taken by a worker
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable work_, done_;
    bool stopping_ = false;
};

thread_local std::unique_ptr<Member> tMember;

} // namespace

namespace quillet {

FastPackaging::FastPackaging()
{
    ++tFast;
}
FastPackaging::~FastPackaging()
{
    --tFast;
    tMember.reset();
}

std::size_t FastPackaging::PieceSize()
{
    return gPieceSize.load();
}

void FastPackaging::SetPieceSize(std::size_t bytes)
{
    gPieceSize.store(std::max<std::size_t>(bytes, 1));
}

unsigned FastPackaging::Workers()
{
    const unsigned asked = gWorkers.load();
    return asked > 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
}

void FastPackaging::SetWorkers(unsigned workers)
{
    gWorkers.store(workers);
}

} // namespace quillet

extern "C" int zipOpenNewFileInZip4_64(void* file, const char* filename, const void* info,
    const void* localExtra, unsigned localExtraSize, const void* globalExtra, unsigned globalExtraSize,
    const char* comment, int method, int level, int raw, int windowBits, int memLevel, int strategy,
    const char* password, unsigned long crc, unsigned long versionMadeBy, unsigned long flagBase, int zip64)
{
    static const OpenFn next = Next<OpenFn>("zipOpenNewFileInZip4_64");
    static const WriteFn write = Next<WriteFn>("zipWriteInFileInZip");
    static const CloseRawFn closeRaw = Next<CloseRawFn>("zipCloseFileInZipRaw64");
    if (!next)
        return kZipParamError;
    const bool ours
        = tFast > 0 && method == Z_DEFLATED && raw == 0 && password == nullptr && write && closeRaw;
    // The level still goes to minizip: it marks the member's header with it.
    const int result = next(file, filename, info, localExtra, localExtraSize, globalExtra, globalExtraSize,
        comment, method, tFast > 0 ? 1 : level, ours ? 1 : raw, windowBits, memLevel, strategy, password, crc,
        versionMadeBy, flagBase, zip64);
    if (ours && result == kZipOk)
        tMember = std::make_unique<Member>(file, write);
    return result;
}

extern "C" int zipWriteInFileInZip(void* file, const void* data, unsigned size)
{
    static const WriteFn next = Next<WriteFn>("zipWriteInFileInZip");
    if (tMember && tMember->File() == file)
        return tMember->Write(data, size);
    return next ? next(file, data, size) : kZipParamError;
}

extern "C" int zipCloseFileInZip(void* file)
{
    static const CloseFn next = Next<CloseFn>("zipCloseFileInZip");
    static const CloseRawFn closeRaw = Next<CloseRawFn>("zipCloseFileInZipRaw64");
    if (tMember && tMember->File() == file) {
        std::uint64_t size = 0;
        unsigned long crc = 0;
        const int finished = tMember->Finish(size, crc);
        tMember.reset();
        const int closed = closeRaw(file, size, crc);
        return finished != kZipOk ? finished : closed;
    }
    return next ? next(file) : kZipParamError;
}
