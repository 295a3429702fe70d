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
rem   cmd.exe. The words of the command line are not used.
rem - ffmpeg.exe comes from this file's folder or from PATH, never from the
rem   current folder or the watch folder, and the current folder stays.
rem - ffmpeg is told the input format, so a playlist or a list of files
rem   named .flv fails like a corrupt recording instead of reading other files.
rem - Both outputs are written under names ending in .part and then renamed,
rem   the thumbnail first, so the size limit never counts or deletes half a
rem   file. On failure the recording stays and the .part files go.
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

rem A folder is no recording, and a folder named like an output would take
rem the output inside it.
if not exist "%KOVALIN_FILE%" goto fail
if exist "%KOVALIN_FILE%\*" goto fail
if exist "%MP4%\*" goto fail
if exist "%JPG%\*" goto fail

"%FFMPEG%" -nostdin -hide_banner -loglevel error -y -f flv -i "file:%KOVALIN_FILE%" -map 0:v:0 -map "0:a:0?" -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 128k -movflags +faststart -f mp4 "file:%MP4_PART%"
if errorlevel 1 goto fail
rem The thumbnail: a representative frame of the first seconds, 320 pixels wide.
"%FFMPEG%" -nostdin -hide_banner -loglevel error -y -f mp4 -i "file:%MP4_PART%" -map 0:v:0 -vf "thumbnail,scale=320:-2" -frames:v 1 -f mjpeg "file:%JPG_PART%"
if errorlevel 1 goto fail
rem An empty or missing output has a size of "" or 0: with a 0 appended, 0.
for %%F in ("%MP4_PART%" "%JPG_PART%") do if %%~zF0 equ 0 goto fail

move /y "%JPG_PART%" "%JPG%" >nul
if errorlevel 1 goto fail
move /y "%MP4_PART%" "%MP4%" >nul
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
