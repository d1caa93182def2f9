// The viewers' commands: the cluster and data viewer (142) and the picture preview (32933).
#include "desktop/MainFrame.h"
#include "desktop/PreviewDlg.h"
#include "desktop/QtText.h"
#include "desktop/ViewerDlg.h"
#include "platform/UiPorts.h"
#include "res/CommandIds.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "viewers/PictureBytes.h"

namespace tarvosk {

void CMainFrame::viewAsBinary() {
  const std::vector<FileEntry*> selection = activeSelection();
  if (selection.size() != 1) return;
  if (selection[0]->size == 0) {
    userInterface().messageBox(std::u16string(loadString(res::IDS_FILE_EMPTY)), kProgramTitle, MB_OK);
    return;
  }
  CViewerDlg viewer(*selection[0], this);
  const int result = viewer.exec();
  // The viewer's jobs recover its own file, the view's selection, wherever the focus went.
  if (result == res::IDR_UNDELETE_ALL) undelete(nullptr, true);
  else if (result == res::IDR_UNDELETE_SELECTION) undelete(&viewer.clusterSelection(), true);
}

void CMainFrame::viewAsPicture() {
  const std::vector<FileEntry*> selection = activeSelection();
  if (selection.size() != 1) return;
  const FileEntry& entry = *selection[0];
  std::vector<std::uint8_t> bytes;
  const PictureRead read = readPictureBytes(entry, bytes);
  if (read != PictureRead::Read) {
    userInterface().messageBox(std::u16string(loadString(pictureReadMessage(read))), kProgramTitle,
                               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (!preview_) {
    preview_ = new CPreviewDlg(this);
    // Closing the window, by its button or its close box, lets the next preview open a new one.
    connect(preview_, &QDialog::finished, this, [this] {
      preview_->deleteLater();
      preview_ = nullptr;
    });
    preview_->show();
  }
  preview_->showPicture(qstr(entry.name.str()), bytes, pictureFormatOf(entry.name.view()));
}

}  // namespace tarvosk
