; The Windows installer of TORVEL (64-bit, Japanese interface), built by
; scripts/release:
;
;   makensis -DVERSION=X.Y.Z -DSTAGE=DIR -DFILES=DIR/files.nsh -DICON=ICO
;            -DOUTFILE=SETUP.exe packaging/torvel.nsi
;
; STAGE holds the files to install; FILES, written by scripts/release from
; the same folder, lists them as the macro TorvelFiles, which both the
; installer and the uninstaller run, so the uninstaller removes exactly the
; files that were installed and nothing the user put beside them.
;
; Per user by default: %LOCALAPPDATA%\Programs\TORVEL, the registry under
; HKCU, no administrator rights. Per machine (Program Files, HKLM) with
; /AllUsers, or by choice on the first page, when the installer already runs
; with administrator rights. /S installs and uninstalls silently.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | FILES | ICON | OUTFILE
  !error "scripts/release gives VERSION, STAGE, FILES, ICON and OUTFILE"
!endif

!define PRODUCT "TORVEL"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TORVEL"
!define CLASSES "Software\Classes"
!define PROGID "TORVEL.YKTFile"
; The icon of a .ykt file: the program's icon resource 105.
!define YKT_ICON_RESOURCE 105

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

; No company and no copyright holder: the product is TORVEL alone.
!pragma warning disable 9100
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "TORVEL セットアップ"

; ---- Per user or per machine -------------------------------------------
; The installer asks for no rights (Standard). The mode comes from the
; command line (/AllUsers, /CurrentUser), from an earlier installation
; (where its uninstall key is), or from the choice page, which is offered
; only to a process that already has administrator rights.

!define MULTIUSER_EXECUTIONLEVEL Standard
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "TORVEL"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
; Lets the mode checks and the choice page consider a per-machine
; installation although the installer itself does not ask for the rights.
!define MULTIUSER_EXECUTIONLEVEL_ALLUSERS

!include MUI2.nsh
!include LogicLib.nsh
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\torvel.exe"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; A running editor holds torvel.exe open, so it could be neither replaced
; nor removed, and an installation would be left half old, half new. Its
; main window is found as a second TORVEL finds it.
!macro RefuseWhileRunning
  FindWindow $0 "TORVEL_CLASS" "TORVEL"
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "TORVEL が実行中です。TORVEL を終了してから、もう一度実行してください。" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; ---- The files, once for both directions --------------------------------

!macro InstallFile DIR NAME
  SetOutPath "$INSTDIR${DIR}"
  File "${STAGE}${DIR}\${NAME}"
!macroend

!macro RemoveFile DIR NAME
  Delete "$INSTDIR${DIR}\${NAME}"
!macroend

!macro RemoveFolder DIR
  RMDir "$INSTDIR${DIR}"
!macroend

; Tells Explorer that file types changed, so icons and open commands apply at once.
!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section "TORVEL"
  !insertmacro TorvelFiles InstallFile
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The .ykt file type. An earlier owner of .ykt is kept aside and given
  ; back by the uninstaller.
  ReadRegStr $0 SHCTX "${CLASSES}\.ykt" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${PROGID}"
    WriteRegStr SHCTX "${CLASSES}\.ykt" "TORVEL.previous" $0
  ${EndIf}
  WriteRegStr SHCTX "${CLASSES}\.ykt" "" "${PROGID}"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "YKT モデル"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\torvel.exe,-${YKT_ICON_RESOURCE}"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\torvel.exe" "%1"'

  ; The Start menu.
  CreateShortcut "$SMPROGRAMS\TORVEL.lnk" "$INSTDIR\torvel.exe"
  CreateShortcut "$SMPROGRAMS\TORVEL ヘルプ.lnk" "$INSTDIR\torvel.chm"

  ; Apps & features.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\torvel.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_KB}

  !insertmacro AssociationsChanged
SectionEnd

Section "Uninstall"
  !insertmacro TorvelFiles RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  !insertmacro TorvelFolders RemoveFolder
  ; Only when empty: whatever the user saved there stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\TORVEL.lnk"
  Delete "$SMPROGRAMS\TORVEL ヘルプ.lnk"

  ; .ykt goes back to its earlier owner, or loses its value when it is still ours.
  ReadRegStr $0 SHCTX "${CLASSES}\.ykt" ""
  ReadRegStr $1 SHCTX "${CLASSES}\.ykt" "TORVEL.previous"
  ${If} $0 == "${PROGID}"
    ${If} $1 != ""
      WriteRegStr SHCTX "${CLASSES}\.ykt" "" $1
    ${Else}
      DeleteRegValue SHCTX "${CLASSES}\.ykt" ""
    ${EndIf}
  ${EndIf}
  DeleteRegValue SHCTX "${CLASSES}\.ykt" "TORVEL.previous"
  DeleteRegKey /ifempty SHCTX "${CLASSES}\.ykt"
  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  !insertmacro AssociationsChanged
SectionEnd
