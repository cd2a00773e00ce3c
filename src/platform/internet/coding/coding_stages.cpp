#include "platform/internet/coding/coding_stage.h"

#include <brotli/decode.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>

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

// A zstd body may hold several frames one after the other.
class ZstdStage : public Stage {
public:
    ZstdStage() : stream_(ZSTD_createDStream()) {
        // Browsers decode windows up to 8 MB; a larger one would let a server
        // make the program set aside far more memory than any page needs.
        if (stream_)
            ZSTD_DCtx_setParameter(stream_, ZSTD_d_windowLogMax, 23);
    }
    ~ZstdStage() override { ZSTD_freeDStream(stream_); }

protected:
    Status run(const unsigned char* in, std::size_t inSize, unsigned char* out, std::size_t outSize,
               std::size_t* used, std::size_t* made) override {
        if (!stream_)
            return Status::Fail;
        ZSTD_inBuffer input{in, inSize, 0};
        ZSTD_outBuffer output{out, outSize, 0};
        const std::size_t result = ZSTD_decompressStream(stream_, &output, &input);
        *used = input.pos;
        *made = output.pos;
        if (ZSTD_isError(result))
            return Status::Fail;
        return result == 0 ? Status::End : Status::Going;
    }

    Status restart(QByteArrayView) override { return Status::Going; }

private:
    ZSTD_DStream* stream_;
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
