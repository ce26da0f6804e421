#include "windows/WindowArrangementSession.h"

#include "assistant/Localization.h"

#include <cmath>
#include <cstdio>

namespace pellamor {

namespace {

bool isReadable(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height()) && rect.width() > 0 && rect.height() > 0;
}

// Whole points as "%.0f" writes them: a half goes to the even neighbour, as the binary value lies exactly there.
std::string points(double value)
{
    std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.0f", value)), '\0');
    std::snprintf(text.data(), text.size() + 1, "%.0f", value);
    return text;
}

} // namespace

std::shared_ptr<WindowArrangementSession> WindowArrangementSession::make(
    std::shared_ptr<WindowArrangementEnvironment> environment, Now now, Schedule schedule)
{
    return std::make_shared<WindowArrangementSession>(std::move(environment),
        now ? std::move(now) : SessionTiming::uptime(), schedule ? std::move(schedule) : SessionTiming::mainQueue());
}

WindowArrangementSession::WindowArrangementSession(
    std::shared_ptr<WindowArrangementEnvironment> environment, Now now, Schedule schedule)
    : environment_(std::move(environment))
    , now_(std::move(now))
    , schedule_(std::move(schedule))
{
}

WindowArrangementSession::~WindowArrangementSession()
{
    if (!cleaned_)
        environment_->cleanup();
}

bool WindowArrangementSession::frameMatches(const QRectF& a, const QRectF& b, double tolerance)
{
    if (!isReadable(a) || !isReadable(b) || !std::isfinite(tolerance) || tolerance < 0)
        return false;
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance
        && std::abs(a.width() - b.width()) <= tolerance && std::abs(a.height() - b.height()) <= tolerance;
}

template <class Call> auto WindowArrangementSession::call(Call&& body)
{
    ++environmentCallDepth_;
    auto result = body(*environment_);
    --environmentCallDepth_;
    completeIfFinished();
    return result;
}

bool WindowArrangementSession::goesOn(std::uint64_t generation) const
{
    return generation_ == generation && state_ != State::idle && state_ != State::finished && completion_;
}

void WindowArrangementSession::start(Completion completion)
{
    if (state_ != State::idle) {
        completion(L("Cette disposition a déjà été demandée."));
        return;
    }
    auto self = weak_from_this().lock();
    completion_ = std::move(completion);
    state_ = State::applying;
    std::uint64_t generation = ++generation_;

    for (auto step : { &WindowArrangementEnvironment::validate, &WindowArrangementEnvironment::prepare }) {
        auto problem = call([step](WindowArrangementEnvironment& environment) { return (environment.*step)(); });
        if (!goesOn(generation))
            return;
        if (problem)
            return finish(problem);
    }
    desired_ = environment_->desired();
    if (!isReadable(desired_))
        return finish(L("La disposition demandée n’est pas valide. Actualise puis réessaie."));
    if (!apply(generation))
        return;
    state_ = State::verifying;
    verificationStarted_ = now_();
    deadline_ = verificationStarted_ + verificationTime;
    verify();
}

bool WindowArrangementSession::apply(std::uint64_t generation)
{
    using Environment = WindowArrangementEnvironment;
    for (auto step : { &Environment::validate, &Environment::writeSize, &Environment::validate,
             &Environment::writePosition, &Environment::validate, &Environment::writeSize }) {
        auto problem = call([step](Environment& environment) { return (environment.*step)(); });
        if (!goesOn(generation))
            return false;
        if (problem) {
            finish(problem);
            return false;
        }
    }
    return true;
}

void WindowArrangementSession::verify()
{
    if (state_ != State::verifying)
        return;
    std::uint64_t generation = generation_;
    auto problem = call([](WindowArrangementEnvironment& environment) { return environment.validate(); });
    if (!goesOn(generation))
        return;
    if (problem)
        return finish(problem);
    auto frame = call([](WindowArrangementEnvironment& environment) { return environment.actualFrame(); });
    if (!goesOn(generation))
        return;
    if (frame && !isReadable(*frame))
        frame.reset();

    bool matched = frame && frameMatches(*frame, desired_, tolerance);
    if (matched && ++consecutiveMatches_ >= 2)
        return finish(std::nullopt);
    if (!matched)
        consecutiveMatches_ = 0;
    if (now_() >= deadline_)
        return finish(timeoutMessage(frame));
    if (frame && !matched && !corrected_ && now_() - verificationStarted_ >= correctionDelay) {
        corrected_ = true;
        if (!apply(generation))
            return;
    }
    scheduleTick();
}

void WindowArrangementSession::scheduleTick()
{
    std::uint64_t tick = ++tickSequence_;
    pendingTick_ = tick;
    std::weak_ptr<WindowArrangementSession> weak = weak_from_this();
    std::uint64_t generation = generation_;
    schedule_(tickInterval, [weak, generation, tick] {
        auto session = weak.lock();
        if (!session || session->generation_ != generation || session->state_ != State::verifying
            || !session->completion_ || session->pendingTick_ != tick)
            return;
        session->pendingTick_.reset();
        session->verify();
    });
}

std::string WindowArrangementSession::timeoutMessage(const std::optional<QRectF>& frame) const
{
    if (!frame)
        return L("macOS n’a pas permis de vérifier la taille et la position de cette fenêtre. Actualise puis réessaie.");
    if (std::abs(frame->width() - desired_.width()) > tolerance
        || std::abs(frame->height() - desired_.height()) > tolerance)
        return L("La fenêtre mesure %@ × %@ pt au lieu des %@ × %@ pt demandés. L’application n’a pas appliqué la taille demandée.",
            points(frame->width()), points(frame->height()), points(desired_.width()), points(desired_.height()));
    if (!frameMatches(*frame, desired_, tolerance))
        return L("La fenêtre n’a pas atteint la position demandée. Actualise pour voir sa position actuelle, puis réessaie.");
    return L("La taille et la position de la fenêtre ne se sont pas stabilisées. Actualise puis réessaie.");
}

void WindowArrangementSession::cancel()
{
    auto self = weak_from_this().lock();
    finish(L("Disposition annulée. Actualise pour vérifier la position de la fenêtre."));
}

void WindowArrangementSession::finish(std::optional<std::string> message)
{
    if (state_ == State::finished)
        return;
    finishedProblem_ = std::move(message);
    state_ = State::finished;
    ++generation_;
    pendingTick_.reset();
    completeIfFinished();
}

void WindowArrangementSession::completeIfFinished()
{
    if (state_ != State::finished || environmentCallDepth_ != 0 || cleaned_)
        return;
    cleaned_ = true;
    Completion completion = std::move(completion_);
    completion_ = nullptr;
    auto cleanupProblem = environment_->cleanup();
    if (!completion)
        return;
    if (!cleanupProblem)
        return completion(finishedProblem_);
    if (!finishedProblem_)
        return completion(L("La disposition a été appliquée, mais un réglage temporaire n’a pas pu être rétabli. %@", *cleanupProblem));
    completion(*finishedProblem_ + "\n" + *cleanupProblem);
}

} // namespace pellamor
