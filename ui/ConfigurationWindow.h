#pragma once

#include <QDialog>
#include <QList>

class Configurable;
class QLabel;
class QLineEdit;
class QPushButton;

/// The generic parameter dialog: one row per parameter of a component (label and line edit with
/// its text form); "Update" writes every text back, commits once and shows the values as the
/// component now holds them. It knows nothing of the component's class. Given a parent window it
/// stays above it.
class ConfigurationWindow : public QDialog {
    Q_OBJECT

public:
    explicit ConfigurationWindow(QWidget* parent = nullptr);

    /// Binds the component and builds the grid; called once, right after construction. The
    /// title names the component ("Configure Boids") unless `subject` names it otherwise.
    void setConfigurable(Configurable* component, const QString& subject = QString());
    Configurable* configurable() const { return component; }

public slots:
    void updateMetric();

signals:
    /// After "Update": what the commit did, when the component says (a file saved, say).
    void committed(const QString& notice);
    /// After every "Update", when the component may hold other values.
    void updated();

private:
    /// Shows `text` in the field whole: wide enough for it, scrolled to its start.
    static void showWhole(QLineEdit* edit, const QString& text);

    Configurable* component = nullptr;
    QList<QLabel*> labels;
    QList<QLineEdit*> edits;
    QPushButton* updateButton = nullptr;
};
