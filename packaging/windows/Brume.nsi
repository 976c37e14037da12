; Brume's Windows installer, built by makensis from the win64 build tree:
;   makensis -DVERSION=<x.y.z> -DBUILD=<build/win64> -DOUTFILE=<setup.exe> Brume.nsi
;
; The VST3 bundle goes to %CommonProgramFiles%\VST3\Brume.vst3, Brume.clap
; to %CommonProgramFiles%\CLAP, Brume.dll to
; the VST 2.4 folder the user chooses ($INSTDIR, so /D= sets it; remembered
; for the next install), the uninstaller to Program Files\Orvendale\Brume.
; What each install made is recorded under HKLM\Software\Orvendale\Brume,
; so the uninstaller removes exactly that: for each installed file, the file
; and the folders above it down to the first one that existed before.
;
; Command line: /S silent, /D=<VST 2.4 folder> (last, unquoted), /NOVST2,
; /NOVST3 and /NOCLAP leave a format out. Exit code 0 on success, 2 when aborted
; (also on 32-bit Windows, which it refuses with a message).
Unicode true
; A 32-bit program, so that 32-bit Windows starts it and hears from us why
; nothing can be installed there. On 64-bit Windows it works in the 64-bit
; folders ($PROGRAMFILES64, $COMMONFILES64) and registry view (SetRegView 64):
; the plug-ins are 64-bit, and so are the hosts that look for them.
Target x86-unicode
RequestExecutionLevel admin
ManifestSupportedOS all
; Drawn at the display's scale by Windows itself, not enlarged as a bitmap.
ManifestDPIAware true
SetCompressor /SOLID lzma
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

!define STATE_KEY "Software\Orvendale\Brume"
!define VENDOR_KEY "Software\Orvendale"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brume"
!define APP_DIR "$PROGRAMFILES64\Orvendale\Brume"
!define VST3_DIR "$COMMONFILES64\VST3\Brume.vst3\Contents\x86_64-win"
!define CLAP_DIR "$COMMONFILES64\CLAP"

Name "Brume ${VERSION}"
OutFile "${OUTFILE}"
; No InstallDir: .onInit picks the VST 2.4 folder once the 64-bit registry
; view is set (InstallDirRegKey would read the 32-bit one), and an empty
; $INSTDIR there means /D= was not given.
BrandingText "Orvendale Brume ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "CompanyName" "Orvendale"
VIAddVersionKey /LANG=1033 "ProductName" "Brume"
VIAddVersionKey /LANG=1033 "FileDescription" "Brume ${VERSION} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

; Brume's icon (scripts/make-artwork.sh draws it), beside this script; the
; uninstaller's doubles as the icon of the Apps & features entry.
!define MUI_ICON "Brume.ico"
!define MUI_UNICON "Brume.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; Modern UI gives every page the caption " ", which the window title would
; end in ("Brume 1.0.0 Setup "): each page shows the plain title instead.
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowTitle
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveComponents
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowTitle
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderWithoutVst2
!define MUI_PAGE_HEADER_TEXT "VST 2.4 Plug-in Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Choose where Brume.dll goes."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Brume.dll (VST 2.4) goes into this folder. Choose the folder your host scans for VST 2.4 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2.4 plug-in folder"
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowTitle
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ShowTitle
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ShowTitle
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; ---- Folders made and removed -------------------------------------------------

; Stack: folder -> its first ancestor (or itself) that exists.
Function ShowTitle
  SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:Brume ${VERSION} Setup"
FunctionEnd

Function un.ShowTitle
  SendMessage $HWNDPARENT ${WM_SETTEXT} 0 "STR:Brume ${VERSION} Uninstall"
FunctionEnd

Function FirstExisting
  Exch $0
  Push $1
  ${DoUntil} ${FileExists} "$0\*.*"
    ${GetParent} "$0" $1
    ${If} $1 == ""
    ${OrIf} $1 == $0
      ${Break}
    ${EndIf}
    StrCpy $0 $1
  ${Loop}
  Pop $1
  Exch $0
FunctionEnd

; Installs one file into a folder, recording (under the given value name) the
; folder that existed before, unless an earlier install of that folder did.
!macro INSTALL_INTO dir source name
  ReadRegStr $R1 HKLM "${STATE_KEY}" "${name}Dir"
  ReadRegStr $R2 HKLM "${STATE_KEY}" "${name}Kept"
  ${If} $R1 != "${dir}"
  ${OrIf} $R2 == ""
    Push "${dir}"
    Call FirstExisting
    Pop $R2
  ${EndIf}
  ClearErrors
  CreateDirectory "${dir}"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "${dir}\*.*"
    Abort "Could not make the folder ${dir}."
  ${EndIf}
  SetOutPath "${dir}"
  File "${source}"
  ${If} ${Errors}
    Abort "Could not write into ${dir}."
  ${EndIf}
  WriteRegStr HKLM "${STATE_KEY}" "${name}Dir" "${dir}"
  WriteRegStr HKLM "${STATE_KEY}" "${name}Kept" "$R2"
!macroend

; Removes folder $2 and those above it while they are empty, stopping at $3
; (the folder that existed before the install).
!macro REMOVE_FOLDERS
  ${IfThen} $3 == "" ${|} StrCpy $3 $2 ${|}
  ${DoWhile} $2 != $3
    ClearErrors
    RMDir $2
    ${IfThen} ${Errors} ${|} ${Break} ${|}
    ${GetParent} "$2" $2
    ${IfThen} $2 == "" ${|} ${Break} ${|}
  ${Loop}
!macroend

; Stack: file name, value name -> removes that recorded file and the folders
; made for it, and forgets them.
!macro REMOVE_FUNC prefix
Function ${prefix}RemoveRecorded
  Exch $0  ; value name
  Exch
  Exch $1  ; file name
  Push $2
  Push $3
  ReadRegStr $2 HKLM "${STATE_KEY}" "$0Dir"
  ReadRegStr $3 HKLM "${STATE_KEY}" "$0Kept"
  ${If} $2 != ""
    Delete "$2\$1"
    !insertmacro REMOVE_FOLDERS
    DeleteRegValue HKLM "${STATE_KEY}" "$0Dir"
    DeleteRegValue HKLM "${STATE_KEY}" "$0Kept"
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro REMOVE_FUNC ""
!insertmacro REMOVE_FUNC "un."

; ---- Installer -----------------------------------------------------------------

Section "-Uninstaller"
  Call CheckSelection
  ; Whether this install makes the vendor's registry key (removed with the
  ; last Orvendale product only if so).
  ReadRegStr $0 HKLM "${STATE_KEY}" "VendorKeyMade"
  ${If} $0 == ""
    StrCpy $0 0
    ClearErrors
    EnumRegKey $1 HKLM "${VENDOR_KEY}" 0
    ${IfThen} ${Errors} ${|} StrCpy $0 1 ${|}
  ${EndIf}
  WriteRegStr HKLM "${STATE_KEY}" "VendorKeyMade" $0

  ; The uninstaller itself, recorded like any installed file.
  ReadRegStr $R2 HKLM "${STATE_KEY}" "AppKept"
  ${If} $R2 == ""
    Push "${APP_DIR}"
    Call FirstExisting
    Pop $R2
  ${EndIf}
  ClearErrors
  CreateDirectory "${APP_DIR}"
  WriteUninstaller "${APP_DIR}\Uninstall.exe"
  ${If} ${Errors}
    Abort "Could not write ${APP_DIR}\Uninstall.exe."
  ${EndIf}
  WriteRegStr HKLM "${STATE_KEY}" "AppDir" "${APP_DIR}"
  WriteRegStr HKLM "${STATE_KEY}" "AppKept" "$R2"
  ; Registered before any plug-in file, so that even an install that fails
  ; half-way can be removed.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Brume"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvendale"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${APP_DIR}\Uninstall.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${APP_DIR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${APP_DIR}\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${APP_DIR}\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "CLAP" SecClap
  !insertmacro INSTALL_INTO "${CLAP_DIR}" "${BUILD}\Brume.clap" "Clap"
SectionEnd

Section "VST3" SecVst3
  !insertmacro INSTALL_INTO "${VST3_DIR}" "${BUILD}\Brume.vst3\Contents\x86_64-win\Brume.vst3" "Vst3"
SectionEnd

Section "VST 2.4" SecVst2
  ; An earlier install into another folder is moved, not left behind.
  ReadRegStr $0 HKLM "${STATE_KEY}" "Vst2Dir"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Push Brume.dll
    Push Vst2
    Call RemoveRecorded
  ${EndIf}
  !insertmacro INSTALL_INTO "$INSTDIR" "${BUILD}\Brume.dll" "Vst2"
SectionEnd

Section "-Size"
  StrCpy $0 0
  ${If} ${SectionIsSelected} ${SecClap}
    SectionGetSize ${SecClap} $1
    IntOp $0 $0 + $1
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecVst3}
    SectionGetSize ${SecVst3} $1
    IntOp $0 $0 + $1
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecVst2}
    SectionGetSize ${SecVst2} $1
    IntOp $0 $0 + $1
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Brume is a 64-bit plug-in and needs 64-bit Windows.$\r$\n$\r$\nThis Windows is 32-bit, so nothing was installed." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetRegView 64
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${STATE_KEY}" "Vst2Dir"
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$COMMONFILES64\VST2"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOVST2" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecVst2}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOVST3" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecVst3}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOCLAP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecClap}
  ${EndIf}
FunctionEnd

Function CheckSelection
  ${IfNot} ${SectionIsSelected} ${SecVst2}
  ${AndIfNot} ${SectionIsSelected} ${SecVst3}
  ${AndIfNot} ${SectionIsSelected} ${SecClap}
    Abort "Nothing to install: choose at least one of CLAP, VST3 and VST 2.4."
  ${EndIf}
FunctionEnd

; Unticking both would only end in an aborted install: say so on the page.
Function LeaveComponents
  ${IfNot} ${SectionIsSelected} ${SecVst2}
  ${AndIfNot} ${SectionIsSelected} ${SecVst3}
  ${AndIfNot} ${SectionIsSelected} ${SecClap}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Choose at least one of CLAP, VST3 and VST 2.4."
    Abort
  ${EndIf}
FunctionEnd

Function SkipFolderWithoutVst2
  ${IfNot} ${SectionIsSelected} ${SecVst2}
    Abort
  ${EndIf}
FunctionEnd

; ---- Uninstaller ---------------------------------------------------------------

Function un.onInit
  SetRegView 64
FunctionEnd

; The program folder goes last: its removal ends the uninstall.
Section "Uninstall"
  ReadRegStr $0 HKLM "${STATE_KEY}" "VendorKeyMade"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Push Brume.dll
  Push Vst2
  Call un.RemoveRecorded
  Push Brume.vst3
  Push Vst3
  Call un.RemoveRecorded
  Push Brume.clap
  Push Clap
  Call un.RemoveRecorded
  ReadRegStr $2 HKLM "${STATE_KEY}" "AppDir"
  ReadRegStr $3 HKLM "${STATE_KEY}" "AppKept"
  DeleteRegKey HKLM "${STATE_KEY}"
  ${If} $0 == 1
    DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
  ${EndIf}
  ${If} $2 != ""
    Delete "$2\Uninstall.exe"
    !insertmacro REMOVE_FOLDERS
  ${EndIf}
SectionEnd
