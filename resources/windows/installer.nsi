; The Windows installer: per user, no administrator rights, a Start menu shortcut, an entry in Apps & features, and an
; uninstaller that removes what was installed and asks before removing the player's saved options.
; makensis -DVERSION=1.0 -DSTAGE=<folder with dravolinex.exe, README.txt, LICENSE.txt, licenses\>
;          -DOUTFILE=<setup.exe> installer.nsi
; 64-bit like the game it installs (and so it runs wherever the game does).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Dravolinex"
!define PUBLISHER "Orv"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravolinex"
!define OPTIONS_KEY "Software\Orv\Dravolinex"

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
!define MUI_ICON "107-program.ico"
!define MUI_UNICON "107-program.ico"
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

Section "Install"
  SetShellVarContext current
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
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\dravolinex.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\licenses\*.txt"
  RMDir "$INSTDIR\licenses"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR" ; only when empty: files the player put there stay
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The saved options and window placement stay unless the player says otherwise (a silent uninstall keeps them).
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your saved ${PRODUCT} options?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${OPTIONS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
  keep:
SectionEnd
