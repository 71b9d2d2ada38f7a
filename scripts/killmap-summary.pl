#!/usr/bin/env perl
# The summary of a kill map made by `scripts/mutate.sh --map`:
#
#   perl scripts/killmap-summary.pl MAP_DIR
#
# Kills per area; per test file and per test case, how many slips they kill
# and how many of those no other case of the area kills; then the cases whose
# every kill another case also makes (candidates to go, if they check nothing
# a user would notice) and the cases that kill nothing at all.
use strict;
use warnings;

my $dir = shift or die "usage: killmap-summary.pl MAP_DIR\n";

sub rows {
    my ($name) = @_;
    open(my $in, '<', "$dir/$name") or die "killmap-summary.pl: no $dir/$name\n";
    my @rows;
    while (<$in>) { chomp; next if /^#/ || $_ eq ''; push @rows, [split /\t/, $_, -1]; }
    return @rows;
}

my (%cases, %counted, %killed, %unbuilt, @survivors, %killers, %kills_of);
push @{$cases{$_->[0]}}, $_->[1] for rows('tests.tsv');
for (rows('slips.tsv')) {
    my ($slip, $area, $outcome, undef, $line) = @$_;
    if ($outcome eq 'unbuilt') { $unbuilt{$area}++; next; }
    $counted{$area}++;
    if ($outcome eq 'killed') { $killed{$area}++; } else { push @survivors, $line; }
}
for (rows('kills.tsv')) {
    my ($slip, $area, $case) = @$_;
    $killers{$slip}{$case} = 1;
    $kills_of{$area}{$case}{$slip} = 1;
}

# Test files by the suites they define, to group cases by file.
my %file_of_suite;
for my $file (glob('tests/*/*.cpp')) {
    open(my $in, '<', $file) or next;
    my $text = do { local $/; <$in> };
    $file_of_suite{$2} //= $file while $text =~ /\b(TEST|TEST_F|TEST_P|TYPED_TEST)\s*\(\s*(\w+)\s*,/g;
}
sub file_of {
    my ($case) = @_;
    my ($suite) = $case =~ m{^(?:\w+/)?(\w+)\.};
    return defined $suite && $file_of_suite{$suite} ? $file_of_suite{$suite} : '(setup or unknown)';
}
sub unique_kills {
    my ($area, $cases) = @_;  # slips killed by these cases and no case outside them
    my %inside = map { $_ => 1 } @$cases;
    my %slips = map { %{$kills_of{$area}{$_} // {}} } @$cases;
    return grep { !grep { !$inside{$_} } keys %{$killers{$_}} } keys %slips;
}

if (open(my $commit, '<', "$dir/commit")) { print "map of ", <$commit>; }
print "== killed by the area's own unit tests\n";
for my $area (sort keys %counted) {
    my $k = $killed{$area} // 0;
    printf "%-9s %3d of %3d (%d %%)%s\n", "$area:", $k, $counted{$area}, int(100 * $k / $counted{$area}),
        $unbuilt{$area} ? "  ($unbuilt{$area} did not compile)" : '';
}
if (@survivors) { print "== survivors\n"; print "$_\n" for @survivors; }

for my $area (sort keys %cases) {
    my @all = @{$cases{$area}};
    my %by_file;
    push @{$by_file{file_of($_)}}, $_ for @all;
    print "\n== $area: per test file: cases, slips killed, slips only this file kills\n";
    for my $file (sort keys %by_file) {
        my @in = @{$by_file{$file}};
        my %slips = map { %{$kills_of{$area}{$_} // {}} } @in;
        printf "  %-50s %4d %4d %4d\n", $file, scalar @in, scalar keys %slips,
            scalar unique_kills($area, \@in);
    }
    my (@redundant, @idle);
    for my $case (@all) {
        my $n = keys %{$kills_of{$area}{$case} // {}};
        if ($n == 0) { push @idle, $case; }
        elsif (!unique_kills($area, [$case])) { push @redundant, "$case ($n)"; }
    }
    print "== $area: cases whose every kill another case also makes (slips killed)\n";
    print "  $_\n" for @redundant;
    print "== $area: cases that kill nothing\n";
    print "  $_\n" for @idle;
}
