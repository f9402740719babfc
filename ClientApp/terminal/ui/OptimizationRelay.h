#pragma once

#include <QObject>
#include <QString>

#include "analysis/Optimizer.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

// The optimizer's reports as signals. The worker thread emits them; connected to
// objects of the window's thread they arrive queued, in order.
class OptimizationRelay final : public QObject, public OptimizationObserver {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptimizationRelay)

public:
    explicit OptimizationRelay(QObject* parent = nullptr) : QObject(parent) {}

    void optimizationStarted() override { emit started(); }
    void progressChanged(int percent) override { emit progress(percent); }
    void hintChanged(const std::string& text) override { emit hint(Text(text)); }
    void optimizationEnded() override { emit ended(); }

signals:
    void started();
    void progress(int percent);
    void hint(const QString& text);
    void ended();
};

}  // namespace karvola::ui
