#include "platform/internet/coding/content_decoder.h"

#include "platform/internet/coding/coding_stage.h"

#include <QList>

#include <algorithm>

namespace {

// The most decoded at a time, and the most one stage holds for the next.
constexpr qsizetype kStep = 64 * 1024;

} // namespace

void ContentDecoder::Stage::push(QByteArrayView coded) {
    if (failed_ || coded.isEmpty())
        return;
    input_.remove(0, used_);
    used_ = 0;
    input_.append(coded.data(), coded.size());
}

bool ContentDecoder::Stage::refuse() {
    failed_ = true;
    input_.clear();
    used_ = 0;
    return false;
}

bool ContentDecoder::Stage::decode(QByteArray& out, qsizetype room) {
    if (failed_)
        return false;
    while (room > 0 && (pending() > 0 || full_)) {
        if (ended_) {
            const Status next = restart(QByteArrayView(input_).sliced(used_));
            if (next == Status::NeedMore)
                break;
            if (next != Status::Going)
                return refuse();
            ended_ = false;
        }
        started_ = true;
        const qsizetype before = out.size();
        const qsizetype step = std::min(room, kStep);
        out.resize(before + step);
        // zlib counts in 32 bits.
        const std::size_t offered =
            static_cast<std::size_t>(std::min<qsizetype>(pending(), 1 << 30));
        std::size_t used = 0;
        std::size_t made = 0;
        const Status status =
            run(reinterpret_cast<const unsigned char*>(input_.constData() + used_), offered,
                reinterpret_cast<unsigned char*>(out.data() + before),
                static_cast<std::size_t>(step), &used, &made);
        out.resize(before + static_cast<qsizetype>(made));
        used_ += static_cast<qsizetype>(used);
        totalIn_ += static_cast<qint64>(used);
        totalOut_ += static_cast<qint64>(made);
        room -= static_cast<qsizetype>(made);
        full_ = status == Status::Going && made == static_cast<std::size_t>(step);
        if (status == Status::Fail || looksLikeBomb(totalIn_, totalOut_))
            return refuse();
        if (status == Status::End)
            ended_ = true;
        else if (used == 0 && made == 0)
            break; // waits for more input
    }
    if (used_ > 0 && used_ == input_.size()) {
        input_.resize(0);
        used_ = 0;
    }
    return true;
}

std::unique_ptr<ContentDecoder> ContentDecoder::forCodings(QByteArrayView contentEncoding,
                                                           bool* known) {
    *known = true;
    std::vector<std::unique_ptr<Stage>> stages;
    for (const QByteArray& part : contentEncoding.toByteArray().split(',')) {
        const QByteArray coding = part.trimmed().toLower();
        if (coding.isEmpty() || coding == "identity" || coding == "none")
            continue;
        std::unique_ptr<Stage> stage = makeCodingStage(coding);
        if (!stage) {
            *known = false;
            return nullptr;
        }
        stages.push_back(std::move(stage));
    }
    if (stages.empty())
        return nullptr;
    // The coding applied last is undone first.
    std::reverse(stages.begin(), stages.end());
    return std::unique_ptr<ContentDecoder>(new ContentDecoder(std::move(stages)));
}

ContentDecoder::ContentDecoder(std::vector<std::unique_ptr<Stage>> stages)
    : stages_(std::move(stages)) {}

ContentDecoder::~ContentDecoder() = default;

void ContentDecoder::push(QByteArrayView coded) {
    if (failed_)
        return;
    totalIn_ += coded.size();
    stages_.front()->push(coded);
}

bool ContentDecoder::refuse() {
    failed_ = true;
    stages_.clear();
    return false;
}

bool ContentDecoder::decode(QByteArray& out, qsizetype room) {
    if (failed_)
        return false;
    const qsizetype start = out.size();
    for (;;) {
        bool moved = false;
        // Each inner coding is fed from the one before it a step at a time,
        // so no stage holds more than a step of what the next has to undo.
        for (std::size_t i = 0; i + 1 < stages_.size(); ++i) {
            Stage& next = *stages_[i + 1];
            if (next.pending() >= kStep)
                continue;
            QByteArray between;
            if (!stages_[i]->decode(between, kStep - next.pending()))
                return refuse();
            if (!between.isEmpty()) {
                next.push(between);
                moved = true;
            }
        }
        const qsizetype before = out.size();
        if (!stages_.back()->decode(out, room - (before - start)))
            return refuse();
        totalOut_ += out.size() - before;
        if (looksLikeBomb(totalIn_, totalOut_))
            return refuse();
        moved = moved || out.size() > before;
        if (!moved || out.size() - start >= room)
            return true;
    }
}

bool ContentDecoder::complete() const {
    return !failed_ && std::all_of(stages_.begin(), stages_.end(),
                                   [](const auto& stage) { return stage->complete(); });
}

bool ContentDecoder::untouched() const {
    return !failed_ && stages_.front()->untouched();
}
