@echo off
rem ffmpeg-convert.bat: a converter for Kovalin. Turns the recording that
rem Kovalin names into TITLE.mp4 (H.264/AAC) and a TITLE.jpg thumbnail in the
rem watch folder, and deletes the recording only when both were written.
rem
rem Set Kovalin's converter to this file's full path in double quotes, for
rem example "C:\Tools\Kovalin\ffmpeg-convert.bat", and put ffmpeg.exe beside
rem this file; without one there, ffmpeg.exe is taken from PATH.
rem
rem File names and contents come from whoever puts files in the watch folder:
rem - The recording is named only by the variables KOVALIN_FILE,
rem   KOVALIN_TITLE and KOVALIN_FOLDER that Kovalin sets, each expanded inside
rem   double quotes with delayed expansion off, so no byte of a name acts on
rem   cmd.exe. The words of the command line are not used, and no name is
rem   passed to a subroutine (call would expand its % again).
rem - ffmpeg.exe comes from this file's folder or from PATH, never from the
rem   current folder or the watch folder, and the current folder stays.
rem - ffmpeg is told the input format, so a playlist or a list of files
rem   named .flv fails like a corrupt recording instead of reading other files.
rem - The work is bounded by the recording's size: timestamps pass through
rem   (ffmpeg never fills a gap between frames with copies, which timestamps
rem   that jump by hours would turn into millions of frames), and at most one
rem   video frame is written per 10 bytes of recording, fewer than any FLV
rem   file holds. ffmpeg 5.1 and later take -fps_mode, older ones -vsync:
rem   ffmpeg itself is asked which it knows.
rem - Both outputs are written under names ending in .part, then renamed with
rem   ren, the thumbnail first, so the size limit never counts or deletes half
rem   a file. ren never moves into a folder and never replaces a file: an
rem   output name that is a folder, or another file's 8.3 short name (dir /x),
rem   fails the conversion; only the very file of that name, the output of an
rem   earlier run of the same title, is deleted first. On failure the
rem   recording stays and the .part files go.
rem - Any exit code but 0 is a failure, a crash's negative one included.
rem - del is never given a folder: it would empty it.
setlocal EnableExtensions DisableDelayedExpansion

if not defined KOVALIN_FILE goto usage
if not defined KOVALIN_TITLE goto usage
if not defined KOVALIN_FOLDER goto usage

set "FFMPEG=%~dp0ffmpeg.exe"
if exist "%FFMPEG%" goto have_ffmpeg
set "FFMPEG="
for %%I in (ffmpeg.exe) do set "FFMPEG=%%~$PATH:I"
if not defined FFMPEG goto no_ffmpeg
:have_ffmpeg

set "MP4=%KOVALIN_FOLDER%%KOVALIN_TITLE%.mp4"
set "JPG=%KOVALIN_FOLDER%%KOVALIN_TITLE%.jpg"
set "MP4_PART=%MP4%.part"
set "JPG_PART=%JPG%.part"

rem A folder is no recording.
if not exist "%KOVALIN_FILE%" goto fail
if exist "%KOVALIN_FILE%\*" goto fail
call :outputs_free
if errorlevel 1 goto fail

rem One video frame per 10 bytes of the recording: its size without the last digit.
set "FRAMES=0"
for %%F in ("%KOVALIN_FILE%") do set "SIZE=%%~zF"
if defined SIZE set "FRAMES=%SIZE:~0,-1%"
if not defined FRAMES set "FRAMES=0"
set "TIMESTAMPS=-vsync"
"%FFMPEG%" -hide_banner -loglevel quiet -fps_mode passthrough -version >nul 2>&1
if not errorlevel 1 if errorlevel 0 set "TIMESTAMPS=-fps_mode"

"%FFMPEG%" -nostdin -hide_banner -loglevel error -y -f flv -i "file:%KOVALIN_FILE%" -map 0:v:0 -map "0:a:0?" %TIMESTAMPS% passthrough -frames:v %FRAMES% -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 128k -movflags +faststart -f mp4 "file:%MP4_PART%"
if errorlevel 1 goto fail
if not errorlevel 0 goto fail
rem The thumbnail: a representative frame of the first seconds, 320 pixels wide.
"%FFMPEG%" -nostdin -hide_banner -loglevel error -y -f mp4 -i "file:%MP4_PART%" -map 0:v:0 -vf "thumbnail,scale=320:-2" -frames:v 1 -f mjpeg "file:%JPG_PART%"
if errorlevel 1 goto fail
if not errorlevel 0 goto fail
rem An empty or missing output has a size of "" or 0: with a 0 appended, 0.
for %%F in ("%MP4_PART%" "%JPG_PART%") do if %%~zF0 equ 0 goto fail

rem A folder may have been made at either name meanwhile.
call :outputs_free
if errorlevel 1 goto fail
set "OUT=%KOVALIN_TITLE%.jpg"
set "PART=%JPG_PART%"
call :publish
if errorlevel 1 goto fail
set "OUT=%KOVALIN_TITLE%.mp4"
set "PART=%MP4_PART%"
call :publish
if errorlevel 1 goto fail
if not exist "%KOVALIN_FILE%\*" del /f /q "%KOVALIN_FILE%"
exit /b 0

:fail
if not exist "%MP4_PART%\*" if exist "%MP4_PART%" del /f /q "%MP4_PART%"
if not exist "%JPG_PART%\*" if exist "%JPG_PART%" del /f /q "%JPG_PART%"
>&2 echo ffmpeg-convert.bat: the recording was not converted
exit /b 1

:no_ffmpeg
>&2 echo ffmpeg-convert.bat: ffmpeg.exe is neither beside this file nor on PATH
exit /b 1

:usage
>&2 echo ffmpeg-convert.bat: run by Kovalin, which sets KOVALIN_FILE, KOVALIN_TITLE and KOVALIN_FOLDER
exit /b 2

rem Exit code 1 unless both output names are free or name only an earlier
rem output of this title.
:outputs_free
set "OUT=%KOVALIN_TITLE%.mp4"
call :own_name
if errorlevel 1 exit /b 1
set "OUT=%KOVALIN_TITLE%.jpg"
call :own_name
exit /b

rem Exit code 1 when OUT names something in the folder other than a file of
rem exactly that long name: a folder, or another file through its short
rem name. A search with a wildcard lists the long names of what matches
rem (hidden files left out, so a hidden one counts as another file).
:own_name
if not exist "%KOVALIN_FOLDER%%OUT%" exit /b 0
if exist "%KOVALIN_FOLDER%%OUT%\*" exit /b 1
set "OWN="
for %%F in ("%KOVALIN_FOLDER%%OUT:~0,-1%?") do if /i "%%~nxF"=="%OUT%" set "OWN=1"
if not defined OWN exit /b 1
exit /b 0

rem Renames PART to OUT in the folder, deleting first an earlier output of
rem that very name. ren fails where anything holds the name.
:publish
call :own_name
if errorlevel 1 exit /b 1
if exist "%KOVALIN_FOLDER%%OUT%" if not exist "%KOVALIN_FOLDER%%OUT%\*" del /f /q "%KOVALIN_FOLDER%%OUT%"
ren "%PART%" "%OUT%"
if errorlevel 1 exit /b 1
if not errorlevel 0 exit /b 1
exit /b 0
