; Every text the installer and the uninstaller show beyond NSIS's own pages.
!define TEXT_PRODUCT "${APP_TITLE}"
!define TEXT_SHORTCUT "${APP_TITLE}"
!define TEXT_RUNNING_INSTALL "${APP_TITLE} is running. Please choose $\"Disable ${PRODUCT_WORD}$\" from its icon in the notification area first, then run the setup again."
!define TEXT_RUNNING_UNINSTALL "${APP_TITLE} is running. Please choose $\"Disable ${PRODUCT_WORD}$\" from its icon in the notification area first, then run the uninstaller again."
!define TEXT_UNPROTECTED_FOLDER "The folder $\"$INSTDIR$\" could not be protected so that only administrators may change the program in it. Please choose a folder under $\"$PROGRAMFILES$\"."
!define TEXT_NOT_LIFTED "Not everything ${PRODUCT_WORD} blocked could be unblocked: the hosts file may be in use. Please close all other applications, and then try again."
