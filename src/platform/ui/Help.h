#pragma once
// The help system: one help file, its contents, a topic by name and a topic by context number.
// The help file is a hypertext document whose topics are its anchors: "ctx-<number>" for a
// context number, the topic's own name otherwise. It is shown in one help window of our own that
// the program keeps until Quit. A help file that is not there is said so in a message box, and
// nothing else happens.

#include <QString>

#include <functional>

class QWidget;

namespace tessiv {

class THelpSystem {
public:
    const QString& HelpFile() const { return FHelpFile; }
    void SetHelpFile(const QString& fileName) { FHelpFile = fileName; }

    // The first topic of the file. False when the file is not there (after saying so).
    bool Contents();
    // The topic of a context number; the contents for a number the file has no topic for.
    bool Context(int helpContext);
    // The topic of that name; the contents for a name the file has no topic for.
    bool Topic(const QString& name);
    // The help window goes (the program ends).
    void Quit();

    // What was last shown: the anchor ("" for the contents); for tests.
    const QString& LastTopic() const { return FLastTopic; }
    // Shows a topic; tests put their own here. The default opens the help window.
    std::function<void(const QString& fileName, const QString& anchor)> Viewer;

private:
    bool Show(const QString& anchor);
    QString FHelpFile;
    QString FLastTopic;
};

THelpSystem& HelpSystem();

// A widget's help context, for F1: the widget's own, else the first non-zero one on the way up
// through its parents; 0 for none.
void SetHelpContext(QWidget* widget, int helpContext);
int HelpContextOf(const QWidget* widget);

} // namespace tessiv
