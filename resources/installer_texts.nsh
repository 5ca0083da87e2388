; Every text the installer and the uninstaller show beyond NSIS's own pages.
!define TEXT_PRODUCT "Quenlox Popup Software"
!define TEXT_SHORTCUT "Quenlox Popup Software"
!define TEXT_RUNNING_INSTALL "Quenlox Popup Software is running. Please choose $\"Disable Quenlox$\" from its icon in the notification area first, then run the setup again."
!define TEXT_RUNNING_UNINSTALL "Quenlox Popup Software is running. Please choose $\"Disable Quenlox$\" from its icon in the notification area first, then run the uninstaller again."
!define TEXT_NOT_LIFTED "Not everything Quenlox blocked could be unblocked: the hosts file may be in use. Please close all other applications, and then try again."
