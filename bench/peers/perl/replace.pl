#!/usr/bin/perl
# Peer of palimp-replace for the benchmark: the table as one ordered alternation, which Perl
# tries leftmost first, the earlier alternative winning at a position.
#
#   perl replace.pl TABLE.tsv INPUT OUTPUT
#
# TABLE.tsv holds one pair a line, "phrase<TAB>replacement"; everything is handled as bytes.
# The empty group in front of the alternation is needed: without it Perl 5.36's start-position
# optimisation can skip the leftmost match ("freast" =~ /a|east|reall/ matches "a", not "east").
use strict;
use warnings;

@ARGV == 3 or die "usage: replace.pl TABLE.tsv INPUT OUTPUT\n";
my ($table_path, $input_path, $output_path) = @ARGV;

sub slurp {
    my ($path) = @_;
    open(my $in, '<:raw', $path) or die "replace.pl: $path: $!\n";
    local $/;
    my $data = <$in>;
    return defined $data ? $data : '';
}

my (%replacement, @alternatives);
for my $line (split /\n/, slurp($table_path)) {
    my ($phrase, $with) = split /\t/, $line, 2;
    next if !defined $phrase || $phrase eq '';
    # A repeated phrase never wins: its first row always matches first.
    next if exists $replacement{$phrase};
    $replacement{$phrase} = defined $with ? $with : '';
    push @alternatives, quotemeta $phrase;
}

my $text = slurp($input_path);
if (@alternatives) {
    my $alternation = join '|', @alternatives;
    $text =~ s/()($alternation)/$replacement{$2}/g;
}
open(my $out, '>:raw', $output_path) or die "replace.pl: $output_path: $!\n";
print $out $text or die "replace.pl: $output_path: $!\n";
close $out or die "replace.pl: $output_path: $!\n";
