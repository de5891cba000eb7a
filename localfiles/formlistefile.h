// The playlist window: local files, recordings and M3U playlists.
#pragma once

#include "widgets/skinnedform.h"

class TFormListeFile : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TFormListeFile(QWidget* parent = nullptr);
};
