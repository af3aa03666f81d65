// vomar-profile-downloader: the Japanese dialog.
#include "app/downloader_app.h"

int main(int argc, char** argv) { return vomar::app::CDownloaderApp().Run(argc, argv); }
