#!/usr/bin/env perl
# The exchange steps of a run, from its record of `strace -f -e trace=execve`:
# one line for each start of the exchange program, in the order of the run,
# "save<TAB>TEXT" or "exchange<TAB>TEXT", TEXT the argument text it was given.
# A /TXT step is a save where its control file says ACTION=SAVE; every
# other step writes its target. Control paths map as on POSIX (drive X: is
# $VANTREL_DRIVE_X, backslashes are slashes).
#   perl bench/steps.pl RECORD PROGRAM-NAME >STEPS
use strict;
use warnings;

my ($record, $program) = @ARGV;
die "usage: steps.pl RECORD PROGRAM-NAME\n" unless defined $program;

# strace writes a string in C's escapes.
sub unescape {
  my ($text) = @_;
  my %named = (n => "\n", t => "\t", r => "\r", v => "\x0b", f => "\f", '\\' => '\\', '"' => '"');
  $text =~ s/\\(x[0-9a-fA-F]{2}|[0-7]{1,3}|.)/
    my $e = $1;
    $e =~ m{^x} ? chr(hex(substr($e, 1))) : $e =~ m{^[0-7]} ? chr(oct($e)) : $named{$e} \/\/ $e
  /ge;
  return $text;
}

sub host_path {
  my ($path) = @_;
  if ($path =~ s/^([A-Za-z])://) {
    my $drive = $ENV{'VANTREL_DRIVE_' . uc $1};
    die "steps.pl: no VANTREL_DRIVE_" . uc($1) . "\n" unless defined $drive;
    $path = $drive . $path;
  }
  $path =~ tr{\\}{/};
  return $path;
}

my %action;
sub kind_of {
  my ($text) = @_;
  return 'exchange' unless $text =~ m{/TXT\s*$}i;
  my @fields = split /\|/, $text;
  (my $control = $fields[1] // '') =~ s{\s*/TXT\s*$}{}i;
  $control =~ s/^\s+|\s+$//g;
  unless (exists $action{$control}) {
    open my $in, '<:raw', host_path($control) or die "steps.pl: cannot read $control: $!\n";
    local $/;
    my $body = <$in>;
    $action{$control} = $body =~ m{^[ \t]*ACTION[ \t]*=[ \t]*SAVE\b}im ? 'save' : 'exchange';
  }
  return $action{$control};
}

open my $in, '<:raw', $record or die "steps.pl: cannot read $record: $!\n";
binmode STDOUT, ':raw';
while (my $line = <$in>) {
  next unless $line =~ m{execve\("((?:[^"\\]|\\.)*)", \["(?:[^"\\]|\\.)*", "((?:[^"\\]|\\.)*)"};
  my ($path, $text) = (unescape($1), unescape($2));
  next unless $path =~ m{/\Q$program\E$} && $line =~ m{\)\s+= 0\s*$};
  die "steps.pl: an argument text with a line break\n" if $text =~ /[\r\n]/;
  print kind_of($text), "\t", $text, "\n";
}
