#include "validation/ValidationTasks.h"

namespace karvola {

namespace {

std::string foldHint(int fold, int folds) {
    return "Walk-forward validation in progress: fold " + std::to_string(fold) + " of " + std::to_string(folds);
}

std::string replicaHint(int done, int replicas) {
    return "Significance test in progress: " + std::to_string(done) + " of " + std::to_string(replicas) + " replicas";
}

}  // namespace

WalkForwardTask::WalkForwardTask(std::vector<basic_record_t> range, ValidationSettings settings,
                                 std::optional<int> train, std::vector<FoldPlan> folds, ReportFormat format)
    : m_range(std::move(range)),
      m_settings(settings),
      m_train(train),
      m_folds(std::move(folds)),
      m_format(std::move(format)) {}

std::string WalkForwardTask::runningHint() const {
    return foldHint(1, static_cast<int>(m_folds.size()));
}

bool WalkForwardTask::compute(TaskContext& context) {
    class Progress final : public WalkForwardObserver {
    public:
        explicit Progress(TaskContext& context) : m_context(context) {}
        void foldStarted(int fold, int folds) override { m_context.hint(foldHint(fold, folds)); }
        void progressChanged(int percent) override { m_context.progress(percent); }

    private:
        TaskContext& m_context;
    } progress(context);

    const WalkForwardInput input{m_range, m_settings.lo, m_settings.hi, m_settings.bndPercent, m_settings.maximalSpan,
                                 m_train, m_folds};
    m_result = RunWalkForward(input, context.breakRequested(), progress, context.threads());
    return m_result.has_value();
}

void WalkForwardTask::writeReport(TerminalSink& sink) const {
    if (m_result) WriteWalkForwardReport(sink, m_settings, m_train, *m_result, m_format);
}

SignificanceTask::SignificanceTask(std::vector<basic_record_t> range, ValidationSettings settings, int replicas,
                                   std::uint64_t seed)
    : m_range(std::move(range)), m_settings(settings), m_replicas(replicas), m_seed(seed) {}

std::string SignificanceTask::runningHint() const {
    return "Significance test in progress: opt on the real results";
}

bool SignificanceTask::compute(TaskContext& context) {
    class Progress final : public SignificanceObserver {
    public:
        explicit Progress(TaskContext& context) : m_context(context) {}
        void progressChanged(int percent) override { m_context.progress(percent); }
        void replicasDone(int done, int replicas) override { m_context.hint(replicaHint(done, replicas)); }

    private:
        TaskContext& m_context;
    } progress(context);

    const SearchInput search{m_range, m_settings.lo, m_settings.hi, m_settings.bndPercent, m_settings.maximalSpan};
    m_result = RunSignificance({search, m_replicas, m_seed}, context.breakRequested(), progress, context.threads());
    return m_result.has_value();
}

void SignificanceTask::writeReport(TerminalSink& sink) const {
    if (m_result) WriteSignificanceReport(sink, m_settings, m_seed, *m_result);
}

}  // namespace karvola
