#pragma once
// The find window's document: a search box with the recent searches, the
// option boxes, the scope, the Find button and the result tree. It searches
// the projects of the code host it is given and, on a click or Enter on a
// hit, opens the hit's code window with the hit selected. Adding, removing or
// renaming a project, or typing in the search box, clears the results.
//
// The search and its tree are the find engine's (find::FindModel); this
// widget reads its controls into the options and shows the tree through a
// FindTreeModel.

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include "find/find_model.h"
#include "findwindow/find_tree_model.h"
#include "host/code_host.h"

namespace qv::findwindow {

class FindWindow : public QWidget, private host::ProjectsObserver {
public:
    explicit FindWindow(QWidget* parent = nullptr);
    ~FindWindow() override;
    FindWindow(const FindWindow&) = delete;
    FindWindow& operator=(const FindWindow&) = delete;

    // The code host's root; the window searches its projects and opens its
    // code panes.
    void SetVBInstance(host::VBE* vbe) { vbe_ = vbe; }
    // The project collection whose additions, removals and renames clear the
    // results (nullptr: none).
    void SetProjects(host::VBProjects* projects);

    // The host is going away with the document that holds this window: its
    // collections may be gone already, so they are forgotten, not told.
    void ForgetHost();

    // Lays the controls out for the current size.
    void ReSize();
    // The smallest size, in pixels, at which every control stays visible.
    int MinHeight() const;
    int MinWidth() const;

    // Takes the active code pane's selection (its first line) as the search
    // text, when it is not empty.
    void ShowFind();
    // Gives the search box the focus with its text selected, so that typing
    // replaces it and Enter searches.
    void FocusSearchBox();
    // Replaces the tree with the hits of the text and puts the text at the
    // top of the recent searches; an empty text only beeps.
    void Search(const QString& findWhat);
    // What a click on a node does: a code line opens its code window with
    // the hit selected; every other node does nothing.
    void NodeClick(const QModelIndex& index);

    QComboBox& SearchBox() { return *searchBox_; }
    QPushButton& FindButton() { return *findButton_; }
    QCheckBox& WholeWordBox() { return *wholeWord_; }
    QCheckBox& MatchCaseBox() { return *matchCase_; }
    QCheckBox& PatternBox() { return *pattern_; }
    QCheckBox& FirstPerLineBox() { return *firstPerLine_; }
    QRadioButton& ModuleScope() { return *scopeModule_; }
    QRadioButton& ProjectScope() { return *scopeProject_; }
    QRadioButton& GroupScope() { return *scopeGroup_; }
    QTreeView& ResultTree() { return *tree_; }
    // Between the search controls and the results.
    QSplitter& Splitter() { return *splitter_; }
    const find::FindModel& Model() const { return model_; }
    FindTreeModel& TreeModel() { return *treeModel_; }

private:
    void BuildControls();
    QLayout* OptionsLayout();
    void ConnectEvents();
    void ReadOptions();
    void ShowRecentSearches();
    void ClearResults();
    void ShowResults();
    void SetGroupImage(const QModelIndex& index, bool expanded);
    void AddActiveWindowToItsFrame();
    void FocusCodeWindow();

    // The project collection's events.
    void ItemAdded(host::VBProject&) override { ClearResults(); }
    void ItemRemoved(host::VBProject&) override {
        codeWindow_ = nullptr;  // it may belong to the project that goes
        ClearResults();
    }
    void ItemRenamed(host::VBProject&, std::string_view) override { ClearResults(); }

    host::VBE* vbe_ = nullptr;
    host::VBProjects* projects_ = nullptr;
    host::Window* codeWindow_ = nullptr;  // focused once the click is over
    find::FindModel model_;

    QComboBox* searchBox_ = nullptr;
    QPushButton* findButton_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* pattern_ = nullptr;
    QCheckBox* firstPerLine_ = nullptr;
    QRadioButton* scopeModule_ = nullptr;
    QRadioButton* scopeProject_ = nullptr;
    QRadioButton* scopeGroup_ = nullptr;
    QTreeView* tree_ = nullptr;
    QSplitter* splitter_ = nullptr;
    FindTreeModel* treeModel_ = nullptr;
    QTimer focusTimer_;
};

}  // namespace qv::findwindow
