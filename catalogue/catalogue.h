// The station catalogue of a run: the four tables, the HTTP client shared by the loads,
// the picture downloads and the update check, and the loader with its tuner state. The
// program object owns the one instance; the station browser, the editors and the station
// player work on it by reference.
//
// Thread: interface thread only.
#pragma once

#include <memory>

#include "catalogue/catalogueloader.h"
#include "catalogue/httpclient.h"
#include "catalogue/stationdirectory.h"

class TCatalogue {
 public:
  TCatalogueTables Tables;
  TCatalogueTable& radiosDataset = Tables.radiosDataset;
  TCatalogueTable& countryDataSet = Tables.countryDataSet;
  TCatalogueTable& genreDataSet = Tables.genreDataSet;
  TCatalogueTable& networkDataSet = Tables.networkDataSet;
  THttpClient IdHTTP;
  // The open station directory (the "directory" tuner's source); its base address is
  // set by whoever knows the settings (none: the directory tuner reads its folder only).
  TStationDirectory Directory;

  // Makes the loader, once the display that shows its progress exists (the splash
  // window): the HTTP client's progress and event processing go there too. Once only.
  void Prepare(TLoadDisplay& display, const QString& exeFolder, const QString& dataFolder, const QString& mode);
  bool Prepared() const { return bool(loader_); }
  TCatalogueLoader& Loader() { return *loader_; }
  const TCatalogueLoader& Loader() const { return *loader_; }

 private:
  std::unique_ptr<TCatalogueLoader> loader_;
};
