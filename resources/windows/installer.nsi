; The Windows installer: per user, no administrator rights, a Start menu shortcut, an entry in Apps & features, and an
; uninstaller that removes what was installed and asks before removing the player's saved options.
; makensis -DVERSION=1.0 -DSTAGE=<folder with dravolinex.exe, README.txt, LICENSE.txt, licenses\>
;          -DOUTFILE=<setup.exe> installer.nsi
; (beside it: 107-program.ico and installer-picture.bmp)
; 64-bit like the game it installs (and so it runs wherever the game does).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Dravolinex"
!define PUBLISHER "Orv"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravolinex"
!define OPTIONS_KEY "Software\Orv\Dravolinex"
; Replay files (.dvreplay) open in the game by a double-click: a per-user file type.
!define REPLAY_TYPE "Dravolinex.Replay"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 The Dravolinex developers; MIT licence"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!define MUI_ICON "107-program.ico"
!define MUI_UNICON "107-program.ico"

; ---- the game's own picture and plain words on the first and last pages; Escape or Cancel asks first ----
!define MUI_WELCOMEFINISHPAGE_BITMAP "installer-picture.bmp"
!define MUI_WELCOMEPAGE_TITLE "Install ${PRODUCT} ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "${PRODUCT} is a game: land a spacecraft gently on a platform against gravity, wind \
  and a limited tank of fuel.$\r$\n$\r$\nSetup puts it in your own programs folder and the Start menu, for you \
  alone; it needs no administrator rights. If the game is running, setup asks to close it first.$\r$\n$\r$\n\
  Click Next to go on."
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "You find ${PRODUCT} in the Start menu. To remove it, use Apps && features in \
  Windows Settings."
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Stop installing ${PRODUCT}?"
!define MUI_UNABORTWARNING
!define MUI_UNABORTWARNING_TEXT "Stop removing ${PRODUCT}?"
; ----
!define MUI_FINISHPAGE_RUN "$INSTDIR\dravolinex.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Play ${PRODUCT} now"
!insertmacro MUI_PAGE_WELCOME
; ---- Licence page: the game's MIT licence (LICENSE.txt, installed beside the game and in the zip too). It grants
; rights and asks nothing of a player, so the page goes on with Next rather than "I Agree".
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Dravolinex is free software: these terms let you use, copy, change and share it."
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
; ---- end of the licence page
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- a running game is closed first (as File > Exit does: its options are saved), or setup stops ----
; The class of the game's main window, from its string table.
!define GAME_WINDOW_CLASS "DRAVOLINEX"
!define GAME_EXIT_COMMAND 105
!macro CloseRunningGame UN WHAT
Function ${UN}CloseRunningGame
  FindWindow $0 "${GAME_WINDOW_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. OK closes it (your options are saved, as when \
    you leave by File > Exit) and goes on ${WHAT}; Cancel stops here." /SD IDOK IDOK close
  Abort
  close:
  ; The game's process, to wait for it to end: its window goes first, and until the process has gone its file and
  ; folder cannot be replaced or removed.
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2) i'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3' ; SYNCHRONIZE
  SendMessage $0 ${WM_COMMAND} ${GAME_EXIT_COMMAND} 0 /TIMEOUT=3000
  ${For} $1 1 50
    Sleep 100
    FindWindow $0 "${GAME_WINDOW_CLASS}"
    ${If} $0 == 0
      ${If} $3 != 0
        System::Call 'kernel32::WaitForSingleObject(p r3, i 5000) i'
        System::Call 'kernel32::CloseHandle(p r3) i'
      ${EndIf}
      Return
    ${EndIf}
  ${Next}
  ${If} $3 != 0
    System::Call 'kernel32::CloseHandle(p r3) i'
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} did not close. Close it yourself, then choose Retry." \
    /SD IDCANCEL IDRETRY close
  Abort
FunctionEnd
!macroend
!insertmacro CloseRunningGame "" "installing"
!insertmacro CloseRunningGame "un." "removing it"
; ----

Section "Install"
  SetShellVarContext current
  Call CloseRunningGame
  SetOutPath "$INSTDIR"
  File "${STAGE}\dravolinex.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\licenses"
  File "${STAGE}\licenses\*.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\dravolinex.exe" "" "$INSTDIR\dravolinex.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dravolinex.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; What the installed folder holds, uninstaller included, in kilobytes.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  WriteRegStr HKCU "Software\Classes\.dvreplay" "" "${REPLAY_TYPE}"
  WriteRegStr HKCU "Software\Classes\.dvreplay" "Content Type" "application/x-dravolinex-replay"
  WriteRegStr HKCU "Software\Classes\${REPLAY_TYPE}" "" "${PRODUCT} replay"
  WriteRegStr HKCU "Software\Classes\${REPLAY_TYPE}\DefaultIcon" "" "$INSTDIR\dravolinex.exe,0"
  WriteRegStr HKCU "Software\Classes\${REPLAY_TYPE}\shell\open\command" "" '"$INSTDIR\dravolinex.exe" --replay "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningGame
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\dravolinex.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\licenses\*.txt"
  RMDir "$INSTDIR\licenses"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR" ; only when empty: files the player put there stay
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Classes\${REPLAY_TYPE}"
  DeleteRegValue HKCU "Software\Classes\.dvreplay" ""
  DeleteRegValue HKCU "Software\Classes\.dvreplay" "Content Type"
  DeleteRegKey /ifempty HKCU "Software\Classes\.dvreplay"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ; The saved options and window placement stay unless the player says otherwise (a silent uninstall keeps them).
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your saved ${PRODUCT} options?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${OPTIONS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
  keep:
SectionEnd
