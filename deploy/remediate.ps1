# Remediation, as remediate.cmd: exit 0 when nothing needed changing, 3010 when a value was
# written (restart the computer), 1603 when a value could not be changed, 1618 when another
# Tarnwick run held the lock for a minute. The log goes to $env:TEMP\tarnwick-update.log.
#
# The program is the first of these beside this script: tarnwick.exe, the release's
# tarnwick-1.02-x86_64.exe on 64-bit Windows, tarnwick-1.02-x86.exe, which runs on 32-bit and
# 64-bit Windows. Where none is there, or the program could not be started or ended with a code
# that Tarnwick never gives, one line says so and the exit code is 1603: never success, and
# never "nothing to fix".
#
# Run it with powershell.exe -File (Windows PowerShell 2.0 to 5.1) or pwsh -File. The comments
# name the PowerShell behaviour, as PowerShell's documentation gives it, that each line relies on.

# about_Preference_Variables: with Stop, every error, a cmdlet's non-terminating one too, stops
# the statement; about_Try_Catch_Finally: the catch below then handles it (a catch handles
# terminating errors only).
$ErrorActionPreference = 'Stop'
$release = 'tarnwick-1.02'
$codes = 0, 3010, 1603, 1618
$program = $null
$code = $null
$failure = $null
try {
    # about_Automatic_Variables: in a script, $MyInvocation.MyCommand.Path is its full path.
    $folder = Split-Path -Parent $MyInvocation.MyCommand.Path
    $names = @('tarnwick.exe')
    # A 64-bit process has PROCESSOR_ARCHITECTURE=AMD64; in a 32-bit one on 64-bit Windows (the
    # 32-bit PowerShell that some tools start) it is x86, and WOW64 sets
    # PROCESSOR_ARCHITEW6432=AMD64. about_Comparison_Operators: -eq ignores case on strings.
    if ($env:PROCESSOR_ARCHITECTURE -eq 'AMD64' -or $env:PROCESSOR_ARCHITEW6432 -eq 'AMD64') {
        $names += "$release-x86_64.exe"
    }
    $names += "$release-x86.exe"
    foreach ($name in $names) {
        $path = Join-Path $folder $name
        # Test-Path: -PathType Leaf is true for a file only, not a folder; -LiteralPath takes the
        # name as it is, wildcard characters ([, ], *, ?) included.
        if ($null -eq $program -and (Test-Path -LiteralPath $path -PathType Leaf)) {
            $program = $path
        }
    }
    if ($null -eq $program) {
        $failure = "Tarnwick /update was not run: there is no $($names -join ' or ') in $folder."
    } else {
        # Start-Process: -Wait waits for the program to end (PowerShell does not wait for a
        # GUI-subsystem program by itself); -PassThru returns its System.Diagnostics.Process.
        # A program that cannot be started (a missing or unreadable file, refused elevation, not
        # a program) is an error, which -ErrorAction Stop (about_CommonParameters) makes
        # terminating: it goes to the catch, and $run is never left $null here.
        $run = Start-Process -FilePath $program -ArgumentList '/update' -Wait -PassThru `
            -RedirectStandardOutput (Join-Path $env:TEMP 'tarnwick-update.log') -ErrorAction Stop
        # System.Diagnostics.Process.ExitCode: the program's exit code once it has ended.
        $code = $run.ExitCode
        # about_Comparison_Operators: -notcontains compares each element with -eq, so $null (as
        # ExitCode can be with -RedirectStandardOutput in PowerShell 7.4.0) or any code that Tarnwick
        # never gives is not contained.
        if ($codes -notcontains $code) {
            $failure = "Tarnwick /update did not run to its end: " +
                "$program stopped abnormally (exit code $code)."
        }
    }
} catch {
    # about_Automatic_Variables: in a catch block, $_ is the error record; its message goes on
    # one line whatever it holds.
    $reason = $_.Exception.Message -replace '\s+', ' '
    $failure = "Tarnwick /update was not run: $program could not be started: $reason"
    if ($null -eq $program) {
        $failure = "Tarnwick /update was not run: $reason"
    }
}
# about_PowerShell_exe: when a script run with -File ends with exit N, PowerShell's exit code is
# N. So the script ends with 1603 or with one of Tarnwick's codes, never with exit $null (0).
if ($null -ne $failure) {
    Write-Output $failure
    exit 1603
}
exit $code
