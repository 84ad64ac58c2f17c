// The main window's menus: one table of entries (caption paths, hints and
// keys) builds them, and each entry's work is bound by its path.
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>

#include "app/desktop_settings.hpp"
#include "app/fit_window.hpp"
#include "app/main_window.hpp"
#include "app/qt_ui.hpp"
#include "app/widget_text.hpp"
#include "experiment_io/observed_data.hpp"
#include "flows/export_flows.hpp"
#include "flows/main_actions.hpp"
#include "flows/open_flow.hpp"
#include "flows/plot_data_export.hpp"
#include "flows/report_flows.hpp"
#include "flows/total_data_flows.hpp"
#include "flows/viewer_launch.hpp"

namespace calvane {

namespace {

struct MenuEntry {
  const char* path;      // "menu/submenu/caption"; a caption "-" is a separator, "menu/submenu/" an empty submenu
  const char* hint = "";
};

// The menu bar in order. "&About" and "&Quit" are commands of the bar itself.
const MenuEntry kMenuEntries[] = {
    {"&File/&Open crystal structure...", "Open a crystal file of any format the program reads"},
    {"&File/Open a crystal data file/Calvan&e format (*.cry)"},
    {"&File/Open a crystal data file/&ShelX format (*.inp, *.ins, *.res)"},
    {"&File/Open a crystal data file/Powder &Cell format (*.cel)"},
    {"&File/Open a crystal data file/&Lazy-Pulverix format (*.lzy)"},
    {"&File/Open a crystal data file/&ICSD format (*.ics)"},
    {"&File/Open a crystal data file/CIF format (*.cif)"},
    {"&File/List of the crystal data files"},
    {"&File/Save the current crystal data"},
    {"&File/Save the calculated profile of the current phase/Calvane Format (*.sim)"},
    {"&File/Save the calculated profile of the current phase/CPI Format (*.cpi)"},
    {"&File/Save the calculated profile of the current phase/CPD Format (*.cpd)"},
    {"&File/Save the peaks list of the current phase/.prn format"},
    {"&File/Save the peaks list of the current phase/Bruker format (*.dif)"},
    {"&File/Save the peaks list of the current phase/Philips format (*.di)"},
    {"&File/Save the peaks list of the current phase/CIF format (*.cif)"},
    {"&File/Save the reflections of every phase (*.csv)", "h, k, l, multiplicity, d, 2θ and intensity of every line"},
    {"&File/Save the plotted patterns (*.csv, *.xy)",
     "The calculated profiles, their sum, the measured pattern and the difference on one 2θ grid"},
    {"&File/-"},
    {"&File/&Keyboard capture of crystal data", "Capture the crystal data with the keyboard"},
    {"&File/-"},
    {"&File/Open measured pattern...", "Any measured pattern, its format recognised by content"},
    {"&File/Open an observed diagram data file/Bruker Format (*.raw)"},
    {"&File/Open an observed diagram data file/Philips Format (*.rd)"},
    {"&File/Open an observed diagram data file/Calvane Format (*.sim)"},
    {"&File/Open an observed diagram data file/Rietveld Format (*.dat)"},
    {"&File/Open an observed diagram data file/CPI Format (*.cpi)"},
    {"&File/Open an observed diagram data file/CPD Format (*.cpd)"},
    {"&File/List of the observed diagram files"},
    {"&File/Open peak list...", "Any peak list, JCPDS card or calibrant d list"},
    {"&File/Open an observed peaks file/&Bruker format (*.dif)"},
    {"&File/Open an observed peaks file/&XFIT format (*.txt)"},
    {"&File/Open an observed peaks file/&WINFIT format (*.dat)"},
    {"&File/Open an observed peaks file/&Philips format (*.di)"},
    {"&File/Open an observed peaks file/&Column format (*.prn)", "2θ and intensity (optional)"},
    {"&File/List of observed peaks file"},
    {"&File/-"},
    {"&File/Open a total data file (*.cmp)"},
    {"&File/List of total data files"},
    {"&File/Save the total data (*.cmp)"},
    {"&File/-"},
    {"&File/Start &Lumiso2", "Launch Lumiso2 for the current crystal data"},
    {"&File/Open in a structure &viewer/"},
    {"&File/-"},
    {"&File/Recent files/"},
    {"&File/-"},
    {"&File/&Quit"},
    {"E&dit/&Undo"},
    {"E&dit/&Redo"},
    {"&Results/&Detailed results for the current phase"},
    {"&Results/&Short results for the current phase"},
    {"&Results/&Global results"},
    {"&Results/&Fit to measured pattern...", "Refine scales, background, zero shift, displacement, texture, size and cell"},
    {"&Erase/&General", "Erase phases data and observed patterns"},
    {"&Erase/&Phases", "Erase phases data"},
    {"&Erase/&Observed diagrams"},
    {"&Window/&Plot", "Bring back the plot window"},
    {"&Window/&Difference", "Show the difference between the observed and the calculated patterns"},
    {"&Window/&Colours and styles"},
    {"&Help/&Contents"},
    {"&Help/Open an &example/"},
    {"&About"},
    {"&Quit"},
};

// Keys of the entries, working with the menus closed. Made when asked: the
// platform's standard keys are known only once the application runs.
std::vector<std::pair<const char*, QKeySequence>> menu_keys() {
  return {
    {"&File/&Open crystal structure...", QKeySequence::Open},
    {"&File/Save the total data (*.cmp)", QKeySequence::Save},
    {"&File/&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
    {"&File/Open measured pattern...", QKeySequence(Qt::CTRL | Qt::Key_M)},
    {"&File/Open a total data file (*.cmp)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
    {"E&dit/&Undo", QKeySequence::Undo},
    {"E&dit/&Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
    {"&Window/&Plot", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
    {"&Help/&Contents", QKeySequence::HelpContents},
  };
}

const QString kOpenCrystal = "&File/Open a crystal data file/";
const QString kOpenPattern = "&File/Open an observed diagram data file/";
const QString kOpenPeaks = "&File/Open an observed peaks file/";
const QString kSaveProfile = "&File/Save the calculated profile of the current phase/";
const QString kSavePeaks = "&File/Save the peaks list of the current phase/";
const char* const kListPaths[] = {"&File/List of the crystal data files", "&File/List of the observed diagram files",
                                  "&File/List of observed peaks file", "&File/List of total data files"};

}  // namespace

void MainWindow::build_menus() {
  std::map<QString, QMenu*> menus;  // by path
  const auto menu_at = [this, &menus](const QString& path) {
    QMenu* menu = nullptr;
    QString prefix;
    for (const QString& title : path.split('/')) {
      prefix += (prefix.isEmpty() ? "" : "/") + title;
      QMenu*& known = menus[prefix];
      if (known == nullptr) known = menu == nullptr ? menuBar()->addMenu(title) : menu->addMenu(title);
      menu = known;
    }
    return menu;
  };
  for (const MenuEntry& entry : kMenuEntries) {
    const QString path = entry.path;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {  // a command of the bar
      actions_[path] = menuBar()->addAction(path);
    } else if (path.endsWith('/')) {
      menu_at(path.left(slash));
    } else if (path.mid(slash + 1) == "-") {
      menu_at(path.left(slash))->addSeparator();
    } else {
      QAction* item = menu_at(path.left(slash))->addAction(path.mid(slash + 1));
      if (*entry.hint != '\0') item->setStatusTip(entry.hint);
      actions_[path] = item;
    }
    if (QAction* item = action(path)) item->setEnabled(false);  // enabled where its work is bound
  }
  connect(menus["&File/Open a crystal data file"], &QMenu::aboutToShow, this, &MainWindow::reset_before_crystal_open);
  viewers_ = menus["&File/Open in a structure &viewer"];
  connect(viewers_, &QMenu::aboutToShow, this, &MainWindow::fill_viewers);
  recent_files_ = menus["&File/Recent files"];
  connect(recent_files_, &QMenu::aboutToShow, this, &MainWindow::fill_recent_files);
  QMenu* results = menus["&Results"];
  results->menuAction()->setStatusTip("Display/print the results for the current phase");
  connect(results, &QMenu::aboutToShow, this, [this] { act([this] { show_crystal_data_page(program_); }); });
  examples_ = menus["&Help/Open an &example"];
  connect(examples_, &QMenu::aboutToShow, this, &MainWindow::fill_examples);
  undo_ = action("E&dit/&Undo");
  redo_ = action("E&dit/&Redo");
}

QAction* MainWindow::action(const QString& path) const {
  auto found = actions_.find(path);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::bind(const QString& path, std::function<void()> work) {
  QAction* item = action(path);
  if (item == nullptr) return;
  item->setEnabled(true);
  connect(item, &QAction::triggered, this, [this, path, work = std::move(work)] {
    change_name_ = change_name(path);
    act(work);
  });
}

void MainWindow::bind_direct(const QString& path, std::function<void()> work) {
  QAction* item = action(path);
  item->setEnabled(true);
  connect(item, &QAction::triggered, this, std::move(work));
}

QString MainWindow::change_name(const QString& menu_path) {
  QStringList parts = menu_path.split('/');
  for (QString& part : parts) part.remove('&').remove("...");
  // A format entry names its submenu's command; an Erase entry names what it erases.
  if (parts.size() >= 3) return parts[1];
  if (parts.size() == 2 && parts[0] == "Erase") return "Erase " + parts[1];
  return parts.back();
}

void MainWindow::bind_handlers() {
  bind_open_handlers();
  bind_save_handlers();
  bind_other_handlers();
  set_shortcuts();
}

void MainWindow::bind_open_handlers() {
  Program& p = program_;
  for (int kind = 1; kind <= 6; ++kind) {
    if (kind == static_cast<int>(CrystalFileKind::Icsd)) continue;  // the format is not available
    bind_direct(submenu_entry(kOpenCrystal, kind), [this, kind] { open_crystal_file_of_kind(kind); });
  }
  bind("&File/&Open crystal structure...", [this, &p] {
    calvane::reset_before_crystal_open(p);  // as the per-format submenu does when it opens
    const unsigned before = p.workspace_revision;
    calvane::open_crystal_structure(p);
    remember_opened(p.workspace_revision != before);
  });
  for (int entry = 1; entry <= 6; ++entry)
    bind(submenu_entry(kOpenPattern, entry), [this, &p, entry] {
      observed_loaded(open_pattern_file_of_kind(p, entry));
      p.ui.redraw_plot();
    });
  bind("&File/Open measured pattern...", [this, &p] {
    MeasuredOpenChoices choices;
    choices.choose_scan = [this](const std::string& file, const std::vector<std::string>& scans) {
      return choose_scan(file, scans);
    };
    observed_loaded(open_measured_pattern(p, choices));
    p.ui.redraw_plot();
  });
  bind("&File/Open peak list...", [this, &p] { observed_loaded(open_peak_list(p)); });
  for (int entry = 1; entry <= 5; ++entry)
    bind(submenu_entry(kOpenPeaks, entry),
         [this, &p, entry] { observed_loaded(open_peak_file_of_kind(p, entry)); });
  bind("&File/Open a total data file (*.cmp)", [this, &p] {
    const TotalDataLoad load = open_workspace_file(p, TotalDataSender::Menu);
    remember_opened(load.loaded);
    if (load.loaded && on_total_data_loaded) on_total_data_loaded(load);
    p.ui.redraw_plot();
  });
  // The four lists, in menu order, are the four kinds in their order.
  for (int kind = 0; kind < 4; ++kind)
    connect(action(kListPaths[kind]), &QAction::triggered, this, [this, kind] {
      if (show_file_list_) act([this, kind] { show_file_list_(static_cast<FileListKind>(kind)); });
    });
}

void MainWindow::bind_save_handlers() {
  Program& p = program_;
  bind("&File/Save the current crystal data", [&p] { calvane::save_current_crystal(p); });
  bind(kSaveProfile + "Calvane Format (*.sim)", [&p] { export_sim_profile(p); });
  bind(kSaveProfile + "CPI Format (*.cpi)", [&p] { export_cpi_profile(p); });
  bind(kSaveProfile + "CPD Format (*.cpd)", [&p] { export_cpd_profile(p); });
  for (int entry = 1; entry <= 4; ++entry)
    bind(submenu_entry(kSavePeaks, entry), [&p, entry] { save_hkl_list(p, entry); });
  bind("&File/Save the total data (*.cmp)",
       [this, &p] { remember_saved_workspace(save_workspace_file(p, TotalDataSender::Menu)); });
  bind("&File/Save the reflections of every phase (*.csv)", [&p] { save_reflection_table(p); });
  bind("&File/Save the plotted patterns (*.csv, *.xy)", [&p] { save_plot_data(p); });
}

void MainWindow::bind_other_handlers() {
  Program& p = program_;
  bind_direct("&File/&Keyboard capture of crystal data", [this] { start_keyboard_capture(); });
  connect(action("&File/Start &Lumiso2"), &QAction::triggered, this, [this] {
    if (launch_structure_viewer_) act(launch_structure_viewer_);
  });
  bind_direct("E&dit/&Undo", [this] { undo_or_redo(true); });
  bind_direct("E&dit/&Redo", [this] { undo_or_redo(false); });
  bind("&Results/&Detailed results for the current phase", [&p] { show_detailed_listing(p); });
  bind("&Results/&Short results for the current phase", [&p] { show_short_listing(p); });
  bind("&Results/&Global results", [&p] { show_global_report(p); });
  bind_direct("&Results/&Fit to measured pattern...", [this] { show_fit_window(); });
  // Erasing is confirmed first; Edit › Undo brings it back all the same.
  const auto confirmed = [&p](const char* question) { return p.ui.confirm(question) == Answer::Yes; };
  bind("&Erase/&General", [this, &p, confirmed] {
    const bool empty = p.workspace.phases.empty() && p.workspace.observed_patterns.empty() &&
                       p.workspace.observed_peaks.empty();
    if (!empty && !confirmed("Erase every phase and every observed pattern and peak list?")) return;
    erase_all(p);
    if (on_clear_plot) on_clear_plot();
  });
  bind("&Erase/&Phases", [&p, confirmed] {
    if (p.workspace.phases.empty() || !confirmed("Erase every phase?")) return;
    delete_phases(p);
    p.ui.redraw_plot();  // the curves and the difference window follow
  });
  bind("&Erase/&Observed diagrams", [this, &p, confirmed] {
    if (p.workspace.observed_patterns.empty() && p.workspace.observed_peaks.empty()) return;
    if (!confirmed("Erase every observed pattern and peak list?")) return;
    p.mark_workspace_modified();
    if (on_erase_observed) on_erase_observed();
  });
  bind_direct("&Window/&Plot", [this] {
    if (on_show_plot) on_show_plot();
  });
  bind_direct("&Window/&Difference", [this] {
    if (on_show_difference) on_show_difference();
  });
  bind("&Window/&Colours and styles", [&p] { p.ui.show_window(WindowId::Colours, true); });
  bind_direct("&Help/&Contents", [this] { open_help_topic(); });
  bind("&About", [&p] { p.ui.show_window(WindowId::About, true); });
  for (const QString path : {"&File/&Quit", "&Quit"}) bind_direct(path, [this] { quit_program(); });
}

void MainWindow::set_shortcuts() {
  // The shortcuts must work with the menus closed: the actions also belong to the window.
  for (const auto& [path, keys] : menu_keys()) {
    QAction* item = action(path);
    item->setShortcut(keys);
    item->setShortcutContext(Qt::WindowShortcut);
    addAction(item);
  }
  // Keyboard routes to what otherwise needs the mouse: the pages, the source
  // buttons and the line list.
  for (int page = 0; page < pages_->count(); ++page)
    connect(new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + page)), this),
            &QShortcut::activated, this, [this, page] { pages_->setCurrentIndex(page); });
  xray_button_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X));
  neutron_button_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, this, [this] {
    pages_->setCurrentIndex(0);
    experiment_page_->line_list()->setFocus();
  });
}

QString MainWindow::submenu_entry(const QString& submenu, int entry) {
  // The entry-th (from 1) entry under `submenu`, in table order.
  int seen = 0;
  for (const MenuEntry& item : kMenuEntries) {
    const QString path = item.path;
    if (path.startsWith(submenu) && ++seen == entry) return path;
  }
  return {};
}

void MainWindow::set_file_list_panel(QWidget* panel, std::function<void(FileListKind)> show_list) {
  // A hidden panel takes no room: "Results" has the column to itself until a list opens.
  // The column keeps the width it has beside the pages.
  if (panel != nullptr) {
    panel->setSizePolicy(QSizePolicy::Ignored, panel->sizePolicy().verticalPolicy());
    right_column_->insertWidget(0, panel, 1);
  }
  show_file_list_ = std::move(show_list);
  for (const char* path : kListPaths) action(path)->setEnabled(bool(show_file_list_));
}

void MainWindow::fill_recent_files() {
  recent_files_->clear();
  const QStringList files = settings_ != nullptr ? settings_->recent_files() : QStringList();
  int number = 0;
  for (const QString& file : files) {
    if (!QFileInfo(file).isFile()) continue;
    QAction* item = recent_files_->addAction(QString("&%1 %2").arg(++number).arg(QFileInfo(file).fileName()));
    item->setStatusTip(file);
    connect(item, &QAction::triggered, this, [this, file] { open_path(file); });
  }
  if (number == 0) recent_files_->addAction("(none)")->setEnabled(false);
}

void MainWindow::show_fit_window() {
  if (fit_window_ == nullptr) {
    fit_window_ = new FitWindow(program_, this);
    fit_window_->act = [this](const std::function<void()>& work) {
      change_name_ = "Fit";
      act(work);
    };
    fit_window_->undo = [this] { undo_or_redo(true); };
  }
  fit_window_->show();
  fit_window_->raise();
}

void MainWindow::fill_viewers() {
  // The viewers of this system read CIF: the phase is written as one for them.
  viewers_->clear();
  for (const SystemViewer& viewer : system_structure_viewers())
    connect(viewers_->addAction(qt(viewer.name)), &QAction::triggered, this,
            [this, viewer] { act([this, viewer] { open_in_system_viewer(program_, viewer); }); });
  if (viewers_->isEmpty()) viewers_->addAction("(none found: VESTA, Jmol, Avogadro, xdg-open)")->setEnabled(false);
}

void MainWindow::fill_examples() {
  // The example crystals beside the program (the build's program folder) or
  // installed with its documentation.
  examples_->clear();
  const QString program = QCoreApplication::applicationDirPath();
  for (const QString& folder : {program + "/examples", program + "/../share/doc/calvane/examples"}) {
    const QFileInfoList files = QDir(folder).entryInfoList({"*.cry", "*.cif"}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
      const QString path = file.absoluteFilePath();
      connect(examples_->addAction(file.completeBaseName()), &QAction::triggered, this, [this, path] { open_path(path); });
    }
    if (!files.isEmpty()) return;
  }
  examples_->addAction("(no example installed)")->setEnabled(false);
}

}  // namespace calvane
