#pragma once

// Shared by the reporting tests: one application object per test program, environment
// variables set for one test and put back afterwards, and small recording scripts.

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

// Readable failure messages for Qt's text types.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << '"';
}

namespace corvel::test {

/// Creates the test program's QApplication on the offscreen platform the first time it is
/// needed; it lives until the program ends.
inline void EnsureApplication() {
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "report_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

/// A member to declare first in a fixture whose other members need the application.
struct ApplicationGuard {
    ApplicationGuard() { EnsureApplication(); }
};

/// Sets (or, with nullopt, removes) an environment variable until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value) : name_(name) {
        if (const char* old = std::getenv(name))
            previous_ = QByteArray(old);
        set(value);
    }
    ~ScopedEnv() { set(previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_.c_str(), *value);
        else
            qunsetenv(name_.c_str());
    }
    std::string name_;
    std::optional<QByteArray> previous_;
};

/// Writes an executable shell script `name` with `body` into `dir` and returns its path.
inline QString WriteScript(const QTemporaryDir& dir, const QString& name, const QByteArray& body) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("#!/bin/sh\n" + body);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Watches for modal dialogs while a test runs. A dialog that the test announced with
/// `expect` is handed to that handler; any other one fails the test and is closed, so a test
/// never hangs on a dialog nobody answers.
class ModalDialogWatchdog {
public:
    ModalDialogWatchdog() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
        timer_.start();
    }
    ~ModalDialogWatchdog() {
        EXPECT_TRUE(handlers_.empty()) << handlers_.size() << " expected dialog(s) never appeared";
    }
    ModalDialogWatchdog(const ModalDialogWatchdog&) = delete;
    ModalDialogWatchdog& operator=(const ModalDialogWatchdog&) = delete;

    void expect(std::function<void(QDialog&)> handler) { handlers_.push_back(std::move(handler)); }

private:
    void check() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (handlers_.empty()) {
            ADD_FAILURE() << "unexpected modal dialog " << dialog->metaObject()->className()
                          << " \"" << dialog->windowTitle().toStdString() << "\"";
            dialog->reject();
            return;
        }
        auto handler = std::move(handlers_.front());
        handlers_.pop_front();
        handler(*dialog);
    }

    QTimer timer_;
    std::deque<std::function<void(QDialog&)>> handlers_;
};

} // namespace corvel::test
