// The main window's menus, toolbar, status bar, accelerators and context menus: one action per
// command, its data the command id, its status and tool tip texts from the string table.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "desktop/Icons.h"
#include "desktop/LockIndicators.h"
#include "desktop/MainFrame.h"
#include "desktop/ObjectIds.h"
#include "desktop/QtText.h"
#include "res/CommandIds.h"
#include "res/StringTable.h"

namespace tarvosk {

using namespace res;

QAction* CMainFrame::addCommand(unsigned command, const QString& text) {
  auto* action = new QAction(text, this);
  action->setData(command);
  setObjectId(action, command);
  const QString prompt = qstr(loadString(command));
  const qsizetype newline = prompt.indexOf(u'\n');
  action->setStatusTip(newline < 0 ? prompt : prompt.left(newline));
  if (newline >= 0) action->setToolTip(prompt.mid(newline + 1));
  connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
  actions_[command] = action;
  addAction(action);  // the accelerators work wherever the focus is in the window
  return action;
}

void CMainFrame::createActions() {
  addCommand(ID_VIEW_AS_BINARY, QStringLiteral("作为二进制查看"));
  addCommand(ID_VIEW_AS_PICTURE, QStringLiteral("作为图片查看"))->setIcon(icons::viewPicture());
  addCommand(ID_UNDELETE, QStringLiteral("反删除..."))->setIcon(icons::undelete());
  QAction* search = addCommand(ID_SEARCH, QStringLiteral("搜索(&S)..."));
  search->setIcon(icons::searchCommand());
  search->setShortcut(Qt::Key_F3);
  addCommand(ID_ATTACH_IMAGE, QStringLiteral("附加磁盘映像..."));
  addCommand(ID_APP_EXIT, QStringLiteral("退出(&X)"));
  QAction* toolbar = addCommand(ID_VIEW_TOOLBAR, QStringLiteral("工具栏(&T)"));
  QAction* statusbar = addCommand(ID_VIEW_STATUS_BAR, QStringLiteral("状态栏(&S)"));
  toolbar->setCheckable(true);
  toolbar->setChecked(true);
  statusbar->setCheckable(true);
  statusbar->setChecked(true);
  addCommand(ID_REFRESH, QStringLiteral("刷新(&R)"))->setShortcut(Qt::Key_F5);
  QAction* back = addCommand(ID_BACK, QStringLiteral("后退"));
  back->setIcon(icons::back());
  back->setShortcut(Qt::Key_Backspace);
  addCommand(ID_FORWARD, QStringLiteral("前进"))->setIcon(icons::forward());
  addCommand(ID_UP, QStringLiteral("向上"))->setIcon(icons::up());
  addCommand(ID_GO_TO_FOLDER, QStringLiteral("转到上级文件夹"));
  addCommand(ID_SCAN_WIZARD, QStringLiteral("扫描向导..."))->setIcon(icons::wizard());
  addCommand(ID_OPTIONS, QStringLiteral("选项(&O)..."));
  addCommand(ID_PHYSICAL_SCAN, QStringLiteral("物理扫描"));
  addCommand(ID_PROPERTIES, QStringLiteral("属性..."));
  addCommand(ID_CLOSE_SEARCH, QStringLiteral("关闭"));
  addCommand(ID_LOGGING, QStringLiteral("日志"))->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_L));
  addCommand(ID_SELECT_ALL, QStringLiteral("全选"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  addCommand(ID_APP_ABOUT, QStringLiteral("关于 Tarvosk(&A)..."));
  addCommand(ID_HELP_FINDER, QStringLiteral("帮助主题(&H)"));
  addCommand(ID_HELP, QStringLiteral("帮助"))->setShortcut(Qt::Key_F1);
  addCommand(ID_CONTEXT_HELP, QStringLiteral("上下文帮助"))->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
  addCommand(ID_DEFAULT_HELP, QStringLiteral("帮助"));
}

void CMainFrame::createMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  for (unsigned id : {ID_VIEW_AS_BINARY, ID_VIEW_AS_PICTURE, ID_UNDELETE, ID_SEARCH}) file->addAction(actions_[id]);
  file->addSeparator();
  file->addAction(actions_[ID_ATTACH_IMAGE]);
  file->addSeparator();
  file->addAction(actions_[ID_APP_EXIT]);
  QMenu* view = menuBar()->addMenu(QStringLiteral("查看(&V)"));
  view->addAction(actions_[ID_VIEW_TOOLBAR]);
  view->addAction(actions_[ID_VIEW_STATUS_BAR]);
  view->addSeparator();
  view->addAction(actions_[ID_REFRESH]);
  view->addSeparator();
  for (unsigned id : {ID_BACK, ID_FORWARD, ID_UP, ID_GO_TO_FOLDER}) view->addAction(actions_[id]);
  QMenu* tools = menuBar()->addMenu(QStringLiteral("工具(&T)"));
  tools->addAction(actions_[ID_SCAN_WIZARD]);
  tools->addAction(actions_[ID_OPTIONS]);
  QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
  help->addAction(actions_[ID_HELP_FINDER]);
  help->addSeparator();
  help->addAction(actions_[ID_APP_ABOUT]);
}

void CMainFrame::createToolBar() {
  toolBar_ = addToolBar(QStringLiteral("工具栏"));
  toolBar_->setObjectName(QStringLiteral("toolbar"));
  toolBar_->setIconSize(QSize(32, 32));
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolBar_->setMovable(true);
  for (unsigned id : {ID_BACK, ID_FORWARD, ID_UP, ID_VIEW_AS_PICTURE, ID_UNDELETE, ID_SEARCH, ID_SCAN_WIZARD}) {
    QAction* button = new QAction(actions_[id]->icon(), actions_[id]->toolTip(), toolBar_);
    button->setToolTip(actions_[id]->toolTip());
    button->setStatusTip(actions_[id]->statusTip());
    button->setEnabled(actions_[id]->isEnabled());
    connect(actions_[id], &QAction::enabledChanged, button, &QAction::setEnabled);
    connect(button, &QAction::triggered, actions_[id], &QAction::trigger);
    toolBar_->addAction(button);
    if (QWidget* widget = toolBar_->widgetForAction(button)) {
      widget->setMinimumWidth(50);
      widget->setMaximumWidth(150);
    }
  }
  connect(actions_[ID_VIEW_TOOLBAR], &QAction::toggled, toolBar_, &QToolBar::setVisible);
  connect(toolBar_, &QToolBar::visibilityChanged, actions_[ID_VIEW_TOOLBAR], &QAction::setChecked);
}

void CMainFrame::createStatusBar() {
  messagePane_ = new QLabel(statusBar());
  messagePane_->setObjectName(QStringLiteral("messagePane"));
  statusBar()->addWidget(messagePane_, 1);
  locks_ = new LockIndicators(statusBar());
  for (QLabel* label : locks_->labels()) statusBar()->addPermanentWidget(label);
  connect(actions_[ID_VIEW_STATUS_BAR], &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void CMainFrame::createPopups() {
  struct Popup {
    int number;
    std::vector<std::pair<unsigned, const char*>> items;  // a text overrides the main menu's
  };
  const Popup popups[] = {
      {0, {{ID_GO_TO_FOLDER, "转到包含文件夹"}, {ID_VIEW_AS_BINARY, nullptr}, {ID_VIEW_AS_PICTURE, nullptr}, {ID_UNDELETE, "反删除..."}, {ID_PROPERTIES, nullptr}}},
      {1, {{ID_SEARCH, "从这里搜索..."}, {ID_VIEW_AS_BINARY, nullptr}, {ID_VIEW_AS_PICTURE, nullptr}, {ID_UNDELETE, "反删除..."}, {ID_PROPERTIES, nullptr}}},
      {2, {{ID_SEARCH, nullptr}, {ID_UNDELETE, "全部反删除..."}, {ID_PROPERTIES, nullptr}}},
      {3, {{ID_SEARCH, nullptr}, {ID_PROPERTIES, nullptr}}},
      {4, {{ID_PROPERTIES, nullptr}}},
      {5, {{ID_GO_TO_FOLDER, "转到包含文件夹"}, {ID_UNDELETE, "全部反删除..."}, {ID_PROPERTIES, nullptr}}},
      {6, {{ID_GO_TO_FOLDER, "转到包含文件夹"}, {ID_PROPERTIES, nullptr}}},
      {7, {{ID_REFRESH, "基本扫描"}, {ID_PHYSICAL_SCAN, nullptr}}},
      {8, {{ID_SEARCH, "从这里搜索..."}, {ID_UNDELETE, "反删除..."}}},
      {9, {{ID_REFRESH, "彻底物理扫描"}}},
      {10, {{ID_CLOSE_SEARCH, nullptr}}},
  };
  for (const Popup& p : popups) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("popup%1").arg(p.number));
    for (const auto& [id, text] : p.items) {
      QAction* command = actions_[id];
      if (!text) {
        menu->addAction(command);
        continue;
      }
      // Its own text, the command's state and handler.
      auto* item = new QAction(QString::fromUtf8(text), menu);
      item->setData(id);
      item->setEnabled(command->isEnabled());
      connect(command, &QAction::enabledChanged, item, &QAction::setEnabled);
      connect(item, &QAction::triggered, command, &QAction::trigger);
      menu->addAction(item);
    }
    popups_[p.number] = menu;
  }
}

}  // namespace tarvosk
