; The installer and its uninstaller. Built by the Windows build with makensis, which is given
; VERSION, PUBLISHER, OUTFILE, BINDIR (the built executables), SRCDIR (the source tree), and
; APP_TITLE, PRODUCT_WORD and WINDOW_CLASS from resources/product.h.
; Unicode: the installer runs on Windows 2000 and later; the 9x family and NT 4.0 take the
; portable zip.
Unicode true
; The installer is built for the build's processor (TARGET): the shipped one is 32-bit, and a
; 64-bit build gets a 64-bit installer to test it with on machines that run no 32-bit code.
!ifdef TARGET
  Target ${TARGET}
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "${SRCDIR}/resources/installer_texts.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${TEXT_PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT_WORD}"

Name "${TEXT_PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${TEXT_PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${TEXT_PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${TEXT_PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${SRCDIR}/resources/quenlox.ico"
!define MUI_UNICON "${SRCDIR}/resources/quenlox.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The running program holds its files and would write its autorun value back. Its hidden window
; is known by class and title: other programs built with the same tool share the class.
!macro RefuseWhileRunning text
  FindWindow $0 "${WINDOW_CLASS}" "${APP_TITLE}"
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "${text}" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning "${TEXT_RUNNING_INSTALL}"
FunctionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning "${TEXT_RUNNING_UNINSTALL}"
FunctionEnd

; A folder outside Program Files inherits the drive's "Authenticated Users: Modify": any user could
; replace the program that the Run key starts for every user, or the helper the uninstaller runs
; elevated. It gets what Program Files gives: administrators and SYSTEM full control, users read
; and execute. icacls names the accounts by SID, so any language of Windows takes it.
Function ProtectFolderOutsideProgramFiles
  StrLen $1 "$PROGRAMFILES"
  StrCpy $2 "$INSTDIR" $1
  ${If} $2 == "$PROGRAMFILES"
    Return
  ${EndIf}
  ; Windows 2000 and XP have no icacls: there the folder could not be protected either.
  StrCpy $0 "no icacls"
  ${If} ${FileExists} "$SYSDIR\icacls.exe"
    nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX'
    Pop $0
  ${EndIf}
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "${TEXT_UNPROTECTED_FOLDER}" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Section "Install"
  SetShellVarContext all
  CreateDirectory "$INSTDIR"
  Call ProtectFolderOutsideProgramFiles
  SetOutPath "$INSTDIR"
  File "${BINDIR}/quenlox.exe"
  File "${BINDIR}/quenlox-unblock.exe"
  File "${SRCDIR}/resources/index.html"
  File "${SRCDIR}/resources/download.html"
  File "${SRCDIR}/resources/THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${TEXT_SHORTCUT}.lnk" "$INSTDIR\quenlox.exe"

  ; Quoted: unquoted, a path with blanks would let a planted "C:\Program.exe" run at logon.
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\quenlox.exe"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TEXT_PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\quenlox.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The installer holds an administrator's rights; the program must not. Started through the shell
  ; of the user's session, it runs as the logged-on user. A silent install starts nothing: the Run
  ; value starts the program at the next logon, as that user.
  ${IfNot} ${Silent}
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\quenlox.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The helper is the program's own unblock; until it succeeds nothing is removed, so the user
  ; keeps the program that can lift the blocks.
  lift:
  StrCpy $0 "not started"
  ExecWait '"$INSTDIR\quenlox-unblock.exe"' $0
  ${If} $0 != 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${TEXT_NOT_LIFTED}" /SD IDCANCEL IDRETRY lift
    SetErrorLevel 2
    Quit
  ${EndIf}

  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  Delete "$SMPROGRAMS\${TEXT_SHORTCUT}.lnk"
  Delete "$INSTDIR\quenlox.exe"
  Delete "$INSTDIR\quenlox-unblock.exe"
  Delete "$INSTDIR\index.html"
  Delete "$INSTDIR\download.html"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
