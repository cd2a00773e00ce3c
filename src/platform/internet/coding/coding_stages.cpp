#include "platform/internet/coding/coding_stage.h"

#include <brotli/decode.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

using Stage = ContentDecoder::Stage;

// gzip, and "deflate" with or without its zlib wrapping.
class ZlibStage : public Stage {
public:
    explicit ZlibStage(bool gzip) : gzip_(gzip) {}
    ~ZlibStage() override {
        if (open_)
            inflateEnd(&z_);
    }

protected:
    Status run(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize,
               std::size_t* used, std::size_t* made) override {
        if (!open_) {
            // "deflate" is meant to be zlib-wrapped, but servers also send it
            // raw; the first two bytes tell which.
            if (inSize < 2)
                return Status::Going;
            int windowBits = 15 + 16;
            if (!gzip_) {
                const bool zlibHeader =
                    (in[0] & 0x0f) == 8 && (in[0] >> 4) <= 7 && ((in[0] << 8) | in[1]) % 31 == 0;
                windowBits = zlibHeader ? 15 : -15;
            }
            if (inflateInit2(&z_, windowBits) != Z_OK)
                return Status::Fail;
            open_ = true;
        }
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = static_cast<uInt>(inSize);
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(outSize);
        const int result = inflate(&z_, Z_NO_FLUSH);
        *used = inSize - z_.avail_in;
        *made = outSize - z_.avail_out;
        if (result == Z_STREAM_END)
            return Status::End;
        return result == Z_OK || result == Z_BUF_ERROR ? Status::Going : Status::Fail;
    }

    // Only another gzip member may follow the end of one.
    Status restart(QByteArrayView rest) override {
        const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(rest[i]); };
        if (!gzip_ || byte(0) != 0x1f)
            return Status::Fail;
        if (rest.size() < 2)
            return Status::NeedMore;
        return byte(1) == 0x8b && inflateReset(&z_) == Z_OK ? Status::Going : Status::Fail;
    }

private:
    z_stream z_{};
    bool gzip_;
    bool open_ = false;
};

class BrotliStage : public Stage {
public:
    BrotliStage() : state_(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}
    ~BrotliStage() override { BrotliDecoderDestroyInstance(state_); }

protected:
    Status run(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize,
               std::size_t* used, std::size_t* made) override {
        if (!state_)
            return Status::Fail;
        std::size_t inLeft = inSize;
        std::size_t outLeft = outSize;
        const BrotliDecoderResult result =
            BrotliDecoderDecompressStream(state_, &inLeft, &in, &outLeft, &out, nullptr);
        *used = inSize - inLeft;
        *made = outSize - outLeft;
        if (result == BROTLI_DECODER_RESULT_SUCCESS)
            return Status::End;
        return result == BROTLI_DECODER_RESULT_ERROR ? Status::Fail : Status::Going;
    }

private:
    BrotliDecoderState* state_;
};

// What a zstd frame's header tells before any of its blocks is decoded.
struct ZstdFrameHeader {
    enum class Read { Done, NeedMore, Bad };
    bool skippable = false;
    std::uint64_t windowSize = 0;
    std::optional<std::uint64_t> contentSize;

    // The frame format is fixed by RFC 8878; libzstd's own parser is no part
    // of its stable interface.
    Read read(const unsigned char* in, std::size_t size) {
        const auto little = [&](std::size_t at, std::size_t bytes) {
            std::uint64_t value = 0;
            for (std::size_t i = bytes; i-- > 0;)
                value = (value << 8) | in[at + i];
            return value;
        };
        if (size < 4)
            return Read::NeedMore;
        const std::uint64_t magic = little(0, 4);
        if ((magic & 0xFFFFFFF0u) == 0x184D2A50u) {
            skippable = true;
            return Read::Done;
        }
        if (magic != 0xFD2FB528u)
            return Read::Bad;
        if (size < 5)
            return Read::NeedMore;
        const unsigned descriptor = in[4];
        if (descriptor & 0x08) // reserved
            return Read::Bad;
        const bool singleSegment = descriptor & 0x20;
        constexpr std::size_t kDictionaryBytes[] = {0, 1, 2, 4};
        constexpr std::size_t kSizeBytes[] = {0, 2, 4, 8};
        const std::size_t dictionaryBytes = kDictionaryBytes[descriptor & 3];
        std::size_t sizeBytes = kSizeBytes[descriptor >> 6];
        if (sizeBytes == 0 && singleSegment)
            sizeBytes = 1;
        const std::size_t windowAt = 5;
        const std::size_t sizeAt = windowAt + (singleSegment ? 0 : 1) + dictionaryBytes;
        if (size < sizeAt + sizeBytes)
            return Read::NeedMore;
        if (sizeBytes > 0)
            contentSize = little(sizeAt, sizeBytes) + (sizeBytes == 2 ? 256 : 0);
        if (singleSegment) {
            windowSize = *contentSize;
        } else {
            const unsigned exponent = in[windowAt] >> 3;
            const std::uint64_t base = std::uint64_t{1} << (10 + exponent);
            windowSize = base + base / 8 * (in[windowAt] & 7);
        }
        return Read::Done;
    }
};

// A zstd body may hold several frames one after the other. Each frame's
// header is read before libzstd sees the frame: its single-pass path, taken
// when a whole frame is at hand, skips the window limit, and its streaming
// path takes a frame whose last block is empty for complete whatever size
// the frame declared. Checked here, the verdict does not depend on how the
// bytes arrive.
class ZstdStage : public Stage {
public:
    ZstdStage() : stream_(ZSTD_createDStream()) {
        if (stream_)
            ZSTD_DCtx_setParameter(stream_, ZSTD_d_windowLogMax, kMaxWindowLog);
    }
    ~ZstdStage() override { ZSTD_freeDStream(stream_); }

protected:
    Status run(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize,
               std::size_t* used, std::size_t* made) override {
        if (!stream_)
            return Status::Fail;
        if (!frame_) {
            ZstdFrameHeader header;
            switch (header.read(in, inSize)) {
            case ZstdFrameHeader::Read::NeedMore:
                return Status::Going; // nothing used or made: waits for more
            case ZstdFrameHeader::Read::Bad:
                return Status::Fail;
            case ZstdFrameHeader::Read::Done:
                break;
            }
            if (!header.skippable && header.windowSize > kMaxWindow)
                return Status::Fail;
            frame_ = header;
            frameMade_ = 0;
        }
        ZSTD_inBuffer input{in, inSize, 0};
        ZSTD_outBuffer output{out, outSize, 0};
        const std::size_t result = ZSTD_decompressStream(stream_, &output, &input);
        *used = input.pos;
        *made = output.pos;
        frameMade_ += output.pos;
        const std::optional<std::uint64_t> declared =
            frame_->skippable ? std::nullopt : frame_->contentSize;
        if (ZSTD_isError(result) || (declared && frameMade_ > *declared))
            return Status::Fail;
        if (result != 0)
            return Status::Going;
        frame_.reset();
        return declared && frameMade_ != *declared ? Status::Fail : Status::End;
    }

    Status restart(QByteArrayView) override { return Status::Going; }

private:
    // Browsers decode windows up to 8 MB; a larger one would let a server
    // make the program set aside far more memory than any page needs.
    static constexpr int kMaxWindowLog = 23;
    static constexpr std::uint64_t kMaxWindow = std::uint64_t{1} << kMaxWindowLog;

    ZSTD_DStream* stream_;
    std::optional<ZstdFrameHeader> frame_; // of the frame being decoded
    std::uint64_t frameMade_ = 0;
};

} // namespace

std::unique_ptr<ContentDecoder::Stage> makeCodingStage(QByteArrayView coding) {
    if (coding == "gzip" || coding == "x-gzip")
        return std::make_unique<ZlibStage>(true);
    if (coding == "deflate")
        return std::make_unique<ZlibStage>(false);
    if (coding == "br")
        return std::make_unique<BrotliStage>();
    if (coding == "zstd")
        return std::make_unique<ZstdStage>();
    return nullptr;
}
